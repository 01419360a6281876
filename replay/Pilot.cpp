// Pilot.cpp -- the autopilot's choice of target and keys.
#include "Pilot.h"

#include <cmath>

#include "KeyScript.h"
#include "objects/World.h"

unsigned pilotKeys(const Game& g, long frame)
{
    const Ship& ship = g.ship;
    const Rock* target = nullptr;
    double best = 0;
    for (const Rock& r : g.rocks) {
        if (!r.alive) continue;
        // Big rocks first, so the pieces pile up; among equals, the nearest.
        double d = std::hypot(r.x - ship.x, r.y - ship.y);
        double score = r.w * 10000.0 - d;
        if (!target || score > best) target = &r, best = score;
    }
    if (!target) return frame % 60 < 8 ? (unsigned)KEY_UP : 0u;

    double dx = target->x - ship.x, dy = target->y - ship.y, distance = std::hypot(dx, dy);
    double want = std::atan2(dx, -dy) / DEG_TO_RAD;  // heading a points along (sin a, -cos a)
    double off = std::remainder(want - ship.angle, 360.0);
    unsigned keys = 0;
    if (off > 3) keys |= KEY_RIGHT;
    if (off < -3) keys |= KEY_LEFT;
    if (std::fabs(off) < 12 && frame % 2 == 0) keys |= KEY_SPACE;
    if (distance > 450 && std::fabs(off) < 25 && frame % 30 < 6) keys |= KEY_UP;
    if (distance < target->w / 2 + 60 && frame % 20 < 4) keys |= KEY_DOWN;
    return keys;
}
