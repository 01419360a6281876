// TestSupport.h -- shared test helpers: held keys through SDL's own key-state array, forced random
// draws, a fresh game without a window, and writers for small BMP files.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/Game.h"

// Holds exactly the keys named: U up, D down, L left, R right, S space; anything else holds nothing.
void holdKeys(const std::string& names);

// The seed after which the next rand15() returns `value` (0 ... 32767).
unsigned seedFor(int value);

// How many numbers rand15 has drawn since srand15(seed) (up to 1000), found by matching the next
// three draws against the sequence from that seed. Consumes those three draws.
int drawsSince(unsigned seed);

// A game set up as at start-up, with no window (so no textures), rand15 back at its start state and
// no key held. On the heap: the objects are large for a test's stack under the sanitizers.
std::unique_ptr<Game> freshGame();

// Runs frames with the given keys held.
void runFrames(Game& game, int count, const std::string& keys = "");

struct Rgb {
    uint8_t r, g, b;
};

// A bottom-up uncompressed 24-bit BMP of w x h pixels; pixel(x, y) with y = 0 the top row.
void writeBmp24(const std::string& path, int w, int h, Rgb (*pixel)(int x, int y));
// An 8-bit palette BMP: `palette` entries, pixel indices from index(x, y).
void writeBmp8(const std::string& path, int w, int h, const std::vector<Rgb>& palette,
               int (*index)(int x, int y));
