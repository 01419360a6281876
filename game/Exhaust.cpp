// Exhaust.cpp -- the exhaust emission: which slot, which velocity, where it starts.
#include "game/Exhaust.h"

#include <cmath>

#include "game/Game.h"
#include "objects/World.h"

void emitExhaust(Game& game)
{
    if (!game.keys[SDLK_UP]) return;

    game.ballToggle = !game.ballToggle;
    if (!game.ballToggle) return;

    game.nextBall = game.nextBall + 1;
    if (game.nextBall >= 20) game.nextBall = 0;
    // Whatever the slot holds, a ball still in play included, is taken over.
    Ball& ball = game.balls[game.nextBall];
    ball.alive = true;
    ball.life = 40;

    // One draw per statement: the order of the four jitter draws is part of the game.
    double t = std::sin(game.ship.angle * DEG_TO_RAD) * -10.0;
    t = t + rand15() / 10000;
    t = t - rand15() / 10000;
    ball.vx = t;
    t = std::cos(game.ship.angle * DEG_TO_RAD) * 10.0;
    t = t + rand15() / 10000;
    t = t - rand15() / 10000;
    ball.vy = t;

    // One step behind the ship; the ball's own update wraps it.
    ball.x = game.ship.x + ball.vx;
    ball.y = game.ship.y + ball.vy;
}
