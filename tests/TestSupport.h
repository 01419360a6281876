// TestSupport.h -- shared test helpers: held keys through SDL's own key-state array, forced random
// draws, and a fresh game.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/Game.h"

// Holds exactly the keys named, as a key-script line does: U up, D down, L left, R right, S space.
void holdKeys(const std::string& names);
// The seed after which the next rand15() returns `value`.
unsigned seedFor(int value);
// How many numbers rand15 has drawn since srand15(seed), found by matching the next three draws.
int drawsSince(unsigned seed);
// A game as at start-up (textures only where a window is open), rand15 at its start, no key held.
std::unique_ptr<Game> freshGame();
// The key sets of a recorded session, replays/SESSION.keys, a frame each.
std::vector<unsigned> sessionKeys(const std::string& session);
// Runs frames with the given keys held.
void runFrames(Game& game, int count, const std::string& keys = "");
