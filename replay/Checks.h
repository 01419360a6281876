// Checks.h -- what must hold after every frame: positions in the world, counters in range, finite
// numbers, and exactly the random draws that the frame's events call for.
#pragma once

#include <string>

#include "game/Game.h"

// Empty when frame `after` (played with `keys` from `before`, whose generator state was
// `rngBefore`) breaks no rule; otherwise what broke.
std::string checkFrame(const Game& before, unsigned rngBefore, const Game& after, unsigned keys);
// How many draws lead from one generator state to another (-1 if more than `limit`).
int drawsBetween(unsigned from, unsigned to, int limit);
