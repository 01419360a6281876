// Bullet.cpp -- a bullet's start state, firing and flight.
#include "objects/Bullet.h"

#include <cmath>

#include "objects/World.h"

void Bullet::init()
{
    w = 5;
    h = 20;
    load(IMAGE);
    life = 0;
    alive = true;
    x = 0;
    y = 0;
    vx = 0;
    vy = 0;
    angle = 0;
}

void Bullet::fire(Ship ship, int angleOffset)
{
    life = 100;
    alive = true;
    angle = angleOffset + ship.angle;
    // From the stored float angle and velocity, so the bits match what flies.
    vx = std::sin(angle * DEG_TO_RAD) * 15.0;
    vy = std::cos(angle * DEG_TO_RAD) * -15.0;
    x = ship.x + vx;
    y = ship.y + vy;
}

void Bullet::update()
{
    if (!alive) return;
    x = x + vx;
    y = y + vy;
    wrapToWorld(x, y);
    // Test before the decrement, and either/or: life 100 gives 102 moves and 101 drawn frames.
    if (life >= 0)
        life = life - 1;
    else
        alive = false;
}
