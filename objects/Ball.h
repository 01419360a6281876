// Ball.h -- one exhaust particle: drifts at a fixed velocity, wraps, and goes out after its life.
#pragma once

#include "sprite/Sprite.h"

class Ball : public Sprite {
public:
    // Out of play at the origin, 16 x 16; loads "ball2.bmp".
    void init();
    // Its picture: loaded by init, and again after the window's OpenGL context is replaced.
    static constexpr const char* IMAGE = "ball2.bmp";
    // Moves and counts down a ball in play; a life that falls below 0 takes it out.
    void update();

    float vx;    // world units per frame
    float vy;    // world units per frame
    bool alive;  // in play: moved, counted down, drawn
    int life;    // updates left; -1 once it has gone out by itself
};
