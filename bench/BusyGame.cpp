// BusyGame.cpp -- building the busiest state: every slot of every kind in play.
#include "BusyGame.h"

void makeBusy(Game& game)
{
    for (int i = 0; i < 100; i++) {
        Rock& r = game.rocks[i];
        r.alive = true;
        r.w = r.h = 200;
        r.x = 64 + 128 * (i % 10);
        r.y = 51 + 102 * (i / 10);
        r.vx = (i % 7) - 3;
        r.vy = (i % 5) - 2;
    }
    for (int j = 0; j < 10; j++) {
        game.bullets[j].fire(game.ship, 36 * j);
        game.bullets[j].life = 50;
    }
    for (int k = 0; k < 20; k++) {
        Ball& b = game.balls[k];
        b.alive = true;
        b.life = 20 + k;
        b.x = 600 + 4 * k;
        b.y = 560 + 3 * k;
        b.vx = (k % 7) - 3;
        b.vy = 10;
    }
    game.wave = 101;
}

void holdBusyKeys(bool busy)
{
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[SDLK_UP] = keys[SDLK_RIGHT] = busy;
}
