// Ball.cpp -- an exhaust ball's start state and its drift and countdown.
#include "objects/Ball.h"

#include "objects/World.h"

void Ball::init()
{
    load(IMAGE);
    x = 0;
    y = 0;
    angle = 0;
    w = 16;
    h = 16;
    alive = false;
    vx = 0;
    vy = 0;
    life = 0;
}

void Ball::update()
{
    if (!alive) return;
    x = x + vx;
    y = y + vy;
    wrapToWorld(x, y);
    // Decrement before the test: a ball given life 40 moves 41 times and is drawn on 40 frames.
    life = life - 1;
    if (life < 0) alive = false;
}
