// Checks.cpp -- the per-frame invariants of the soak.
#include "Checks.h"

#include <cmath>

#include "KeyScript.h"
#include "objects/World.h"

int drawsBetween(unsigned from, unsigned to, int limit)
{
    for (int n = 0; n <= limit; n++, from = from * 214013u + 2531011u)
        if (from == to) return n;
    return -1;
}

static std::string where(const char* kind, int index, const char* what)
{
    return std::string(kind) + "[" + std::to_string(index) + "] " + what;
}

// What is wrong with an object's numbers, or "": all finite, and the centre in the world.
static std::string misplaced(const char* kind, int index, const Sprite& s, float vx, float vy)
{
    for (float v : {s.x, s.y, s.angle, s.w, s.h, vx, vy})
        if (!std::isfinite(v)) return where(kind, index, "has a number that is not finite");
    if (s.x < 0 || s.x > WORLD_WIDTH || s.y < 0 || s.y > WORLD_HEIGHT) return where(kind, index, "is outside the world");
    return "";
}

std::string checkFrame(const Game& before, unsigned rngBefore, const Game& after, unsigned keys)
{
    const Ship& ship = after.ship;
    std::string wrong = misplaced("ship", 0, ship, ship.vx, ship.vy);
    if (!wrong.empty()) return wrong;
    if (!(std::fabs(ship.spin) <= 19)) return "ship: spin not finite, or beyond 19";
    for (int i = 0; i < 20; i++) {
        const Ball& b = after.balls[i];
        if (!(wrong = misplaced("ball", i, b, b.vx, b.vy)).empty()) return wrong;
        if (b.alive ? b.life < 0 || b.life > 39 : b.life < -1 || b.life > 0) return where("ball", i, "life out of range");
        if (b.angle != 0 || b.w != 16) return where("ball", i, "angle or size changed");
    }
    int fired = -1;
    if ((keys & KEY_SPACE) && !before.spacebar)
        for (int j = 0; j < 10 && fired < 0; j++)
            if (!before.bullets[j].alive) fired = j;
    int struck = 0;
    for (int j = 0; j < 10; j++) {
        const Bullet& b = after.bullets[j];
        const Bullet& was = before.bullets[j];
        if (!(wrong = misplaced("bullet", j, b, b.vx, b.vy)).empty()) return wrong;
        if (b.life < -1 || b.life > 99) return where("bullet", j, "life out of range");
        // Taken out while its life ran: a strike. Out with life -1 before the frame: it expired.
        if (j == fired ? !b.alive : was.alive && !b.alive && was.life != -1) struck++;
    }
    int aliveBefore = 0, aliveAfter = 0;
    for (int k = 0; k < 100; k++) {
        const Rock& r = after.rocks[k];
        aliveBefore += before.rocks[k].alive;
        aliveAfter += r.alive;
        if (!(wrong = misplaced("rock", k, r, r.vx, r.vy)).empty()) return wrong;
        if (r.alive && (r.w != r.h || r.w <= 0 || r.w > 200)) return where("rock", k, "size out of range");
    }
    if (after.nextBall < 0 || after.nextBall > 19) return "nextBall out of range";
    if (after.cursor.frame < 0 || after.cursor.frame > 6 || after.cursor.countdown < 0 || after.cursor.countdown > 10)
        return "cursor animation out of range";
    if (after.ballToggle != ((keys & KEY_UP) ? !before.ballToggle : before.ballToggle)) return "ballToggle flipped wrongly";

    // Draws: four an emission, two a bounce, one a strike, one a split, three a wave rock.
    bool waveCame = after.wave != before.wave;
    if (waveCame && (after.wave != before.wave + 1 || aliveBefore != 0)) return "wave advanced wrongly";
    int spawned = waveCame ? (before.wave < 100 ? before.wave : 100) : 0;
    int emissions = (keys & KEY_UP) && after.ballToggle ? 1 : 0;
    int bounces = !before.shipHit && after.shipHit ? 1 : 0;
    int draws = drawsBetween(rngBefore, rand15State(), 1000);
    if (draws < 0) return "more than 1000 random draws in one frame";
    int splits = draws - 4 * emissions - 2 * bounces - 3 * spawned - struck;
    int destroyed = splits - (aliveAfter - aliveBefore - spawned);
    if (splits < 0 || destroyed < 0 || splits + destroyed > struck)
        return "random draws (" + std::to_string(draws) + ") do not match the frame's events: " +
               std::to_string(emissions) + " emissions, " + std::to_string(bounces) + " bounces, " +
               std::to_string(struck) + " strikes, " + std::to_string(spawned) + " wave rocks";
    return "";
}
