// Ship.cpp -- the ship's start state and its per-frame flight rules.
#include "objects/Ship.h"

#include <cmath>

#include "objects/World.h"

void Ship::init()
{
    w = 64;
    h = 64;
    x = 640;
    y = 512;
    angle = 0;
    vx = 0;
    vy = 0;
    spin = 0;
    load(IMAGE);
}

void Ship::update(Uint8* keys)
{
    // SDL hands back the same array the driver read this frame.
    keys = SDL_GetKeyState(nullptr);

    // Both thrust directions use the heading from before this frame's turn.
    double s = std::sin(angle * DEG_TO_RAD);
    double c = std::cos(angle * DEG_TO_RAD);

    if (keys[SDLK_UP]) {
        vx = vx + s * 0.2;
        vy = vy - c * 0.2;
    }
    if (keys[SDLK_DOWN]) {
        vx = vx - s * 0.2;
        vy = vy + c * 0.2;
    }

    // A signed test: any negative spin leaves the turn keys working; 1.0 or more locks them.
    if (spin < 1.0f) {
        if (keys[SDLK_LEFT]) angle = angle - 5.0f;
        if (keys[SDLK_RIGHT]) angle = angle + 5.0f;
    }

    x = x + vx;
    y = y + vy;
    angle = angle + spin;
    wrapToWorld(x, y);

    // Damping after the move: held thrust moves at most 20 units a frame while storing 19.8.
    vx = vx * 0.99;
    vy = vy * 0.99;
    spin = spin * 0.98;
}
