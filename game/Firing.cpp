// Firing.cpp -- the fire latch and the choice of bullet.
#include "game/Firing.h"

#include "game/Game.h"

void fireBullet(Game& game)
{
    if (!game.keys[SDLK_SPACE] || game.spacebar) return;
    game.spacebar = true;
    for (Bullet& bullet : game.bullets) {
        if (!bullet.alive) {
            bullet.fire(game.ship, 0);
            return;
        }
    }
}

void releaseFire(Game& game)
{
    if (!game.keys[SDLK_SPACE]) game.spacebar = false;
}
