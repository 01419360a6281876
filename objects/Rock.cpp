// Rock.cpp -- a rock's life cycle (spawn, split, hit), motion and hit tests.
#include "objects/Rock.h"

#include <cmath>

#include "objects/World.h"

void Rock::newHeading()
{
    int r = rand15();  // taken as a number of degrees
    double a = r * DEG_TO_RAD;
    vx = std::sin(a) * 3;
    vy = std::cos(a) * -3;
}

void Rock::init()
{
    load(IMAGE);
    x = 0;
    y = 0;
    angle = 0;
    w = 128;
    h = 128;
    alive = false;
    vx = 0;
    vy = 0;
}

void Rock::spawn()
{
    alive = true;
    w = 200;
    h = 200;
    newHeading();
    // Corner draws come after the heading, x first; the angle carries over from the slot's last life.
    x = (rand15() % 2) * WORLD_WIDTH;
    y = (rand15() % 2) * WORLD_HEIGHT;
}

void Rock::spawnFrom(Rock parent)
{
    alive = true;
    w = parent.w;
    h = parent.h;
    x = parent.x;
    y = parent.y;
    newHeading();
}

void Rock::hit()
{
    w = w * 0.65;
    h = h * 0.65;
    newHeading();
}

void Rock::update()
{
    if (!alive) return;
    x = x + vx;
    y = y + vy;
    angle = angle + vx;
    wrapToWorld(x, y);
}
