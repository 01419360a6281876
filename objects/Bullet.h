// Bullet.h -- one shot: fired from the ship's nose at 15 units a frame, lives about 100 frames.
#pragma once

#include "objects/Ship.h"
#include "sprite/Sprite.h"

class Bullet : public Sprite {
public:
    // In play at the origin with life 0 (so it leaves play by itself on its second update); "green.bmp".
    void init();
    // Its picture: loaded by init, and again after the window's OpenGL context is replaced.
    static constexpr const char* IMAGE = "green.bmp";
    // Restarts this bullet from the ship's nose, heading ship.angle + angleOffset degrees.
    void fire(Ship ship, int angleOffset);
    // Moves and counts down a bullet in play.
    void update();

    float vx;    // world units per frame
    float vy;    // world units per frame
    int life;    // updates left; the bullet is still in play at -1
    bool alive;  // in play: moved, drawn, able to strike a rock
};
