// TestSupport.h -- shared test helpers: forced random draws, a fresh game, the recorded sessions' keys.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/Game.h"

// The seed after which the position-th rand15() returns `value`.
unsigned seedFor(int value, int position = 1);
// A game as at start-up (textures only where a window is open), rand15 at its start, no key held.
std::unique_ptr<Game> freshGame();
// The key sets of a recorded session, replays/SESSION.keys, a frame each.
std::vector<unsigned> sessionKeys(const std::string& session);
