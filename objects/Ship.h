// Ship.h -- the player's craft: thrust, reverse, turn, drift with damping, spin after a bounce.
#pragma once

#include "sprite/Sprite.h"

class Ship : public Sprite {
public:
    // Centre of the world, at rest, heading up; loads "aimage.bmp".
    void init();
    // Its picture: loaded by init, and again after the window's OpenGL context is replaced.
    static constexpr const char* IMAGE = "aimage.bmp";
    // One frame of the arrow keys, motion, wrap and damping. Reads SDL's key-state array afresh.
    void update(Uint8* keys);

    float vx;    // world units per frame
    float vy;    // world units per frame, positive down the screen
    float spin;  // degrees per frame added to angle; at 1.0 or more it locks the turn keys
};
