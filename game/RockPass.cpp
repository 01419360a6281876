// RockPass.cpp -- the per-frame rock pass: bounce, strikes and splits, and the next wave.
#include "game/RockPass.h"

#include <cmath>

#include "game/Game.h"
#include "objects/World.h"

static const int ROCK_SLOTS = 100;
static const int BULLET_SLOTS = 10;
static const float SPLIT_WIDTH = 20;  // world units; a struck rock wider than this splits, else it dies

void bounce(Ship& ship, Rock& rock)
{
    float dx = ship.x - rock.x;
    float dy = ship.y - rock.y;
    // The heading from the ship's centre to the rock's.
    float a = std::atan2((double)dy, (double)dx) / DEG_TO_RAD - 90;

    float shipTerm = ship.vx * ship.vx + ship.vy * ship.vy;
    float rockTerm = rock.vx * rock.vx + rock.vy * rock.vy;
    // Bounce speed: half the root of (the rock's speed + the ship's speed squared), rounded to
    // float between the two roots.
    float inner = std::sqrt((double)rockTerm) + shipTerm;
    float speed = std::sqrt((double)inner) / 2;

    int first = rand15() % 20;
    int second = rand15() % 20;
    ship.spin = first - second;

    ship.vx = std::sin(a * DEG_TO_RAD) * -speed;
    ship.vy = std::cos(a * DEG_TO_RAD) * speed;
    rock.vx = -ship.vx;
    rock.vy = -ship.vy;
}

// A bullet strikes rock i: returns true when a piece was placed, which ends this rock's bullet loop.
static bool strike(Game& game, int i, Bullet& bullet)
{
    Rock& rock = game.rocks[i];
    rock.hit();
    bullet.alive = false;
    if (rock.w > SPLIT_WIDTH) {
        for (Rock& piece : game.rocks) {
            if (!piece.alive) {
                piece.spawnFrom(rock);
                return true;
            }
        }
        // Every slot alive: no piece; the rock stays, smaller, and later bullets may strike it again.
        return false;
    }
    // Destroyed; the bullet loop goes on testing the dead rock as hit() left it.
    rock.alive = false;
    return false;
}

void rockPass(Game& game)
{
    bool allDead = true;
    bool hitThisFrame = false;

    for (int i = 0; i < ROCK_SLOTS; i++) {
        Rock& rock = game.rocks[i];
        if (!rock.alive) continue;
        allDead = false;

        rock.update();
        rock.draw();

        if (rock.touchesShip(game.ship)) {
            hitThisFrame = true;
            // One bounce per episode of unbroken contact, whichever rocks keep it going.
            if (!game.shipHit) {
                game.shipHit = true;
                bounce(game.ship, rock);
            }
        }

        for (int j = 0; j < BULLET_SLOTS; j++) {
            Bullet& bullet = game.bullets[j];
            if (rock.containsPoint(bullet) && bullet.alive) {
                if (strike(game, i, bullet)) break;
            }
        }
    }

    game.shipHit = hitThisFrame;

    if (allDead) {
        // The wave counter runs on, but the slots end at 100.
        int count = game.wave < ROCK_SLOTS ? game.wave : ROCK_SLOTS;
        for (int k = 0; k < count; k++) game.rocks[k].spawn();
        game.wave = game.wave + 1;
    }
}
