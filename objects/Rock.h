// Rock.h -- a drifting, turning rock: wave spawns, split pieces, shrinking hits, and its hit tests
// (both compare in double, unrounded, and strictly: touching edges don't count; no wrap-around).
#pragma once

#include "objects/Bullet.h"
#include "objects/Ship.h"
#include "sprite/Sprite.h"

class Rock : public Sprite {
public:
    // Out of play at the origin, 128 x 128, at rest; loads "asteroid.bmp".
    void init();
    // Its picture: loaded by init, and again after the window's OpenGL context is replaced.
    static constexpr const char* IMAGE = "asteroid.bmp";
    // A rock of a new wave: 200 x 200 at a random corner, on a random heading. Three draws.
    void spawn();
    // A piece of a struck rock: the parent's size and place, a heading of its own. One draw.
    void spawnFrom(Rock parent);
    // Shrinks by 0.65 and takes a new heading; whether it lives on is the rock pass's call. One draw.
    void hit();
    // Moves, turns by vx degrees, wraps.
    void update();
    // The bullet's centre strictly inside the hit box (80 % of the drawn size, unturned). Inline: the
    // rock pass makes a thousand of these tests a frame.
    bool containsPoint(Bullet bullet)
    {
        return bullet.x < x + w / 2.5 && bullet.x > x - w / 2.5 && bullet.y < y + h / 2.5 &&
               bullet.y > y - h / 2.5;
    }
    // The ship's full drawn box strictly overlaps the hit box.
    bool touchesShip(Ship ship)
    {
        return ship.x - ship.w / 2.0 < x + w / 2.5 && ship.x + ship.w / 2.0 > x - w / 2.5 &&
               ship.y - ship.h / 2.0 < y + h / 2.5 && ship.y + ship.h / 2.0 > y - h / 2.5;
    }

    float vx;    // world units per frame
    float vy;    // world units per frame, positive down the screen
    bool alive;  // in play: moved, drawn, tested

private:
    // Speed 3 along a heading of rand15() degrees.
    void newHeading();
};
