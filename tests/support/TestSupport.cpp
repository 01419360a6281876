// TestSupport.cpp -- the shared test helpers.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include "KeyScript.h"
#include "objects/World.h"

unsigned seedFor(int value, int position)
{
    // A draw is bits 16 ... 30 of state * 214013 + 2531011: take such a state and run it back.
    uint32_t inverse = 214013u;  // Newton's iteration for the inverse of an odd number mod 2^32
    for (int i = 0; i < 5; i++) inverse *= 2u - 214013u * inverse;
    uint32_t state = (uint32_t)value << 16;
    for (int i = 0; i < position; i++) state = (state - 2531011u) * inverse;
    return state;
}

std::unique_ptr<Game> freshGame()
{
    holdKeySet(0);
    srand15(1);
    std::unique_ptr<Game> game(new Game());
    setUpGame(*game);
    return game;
}

std::vector<unsigned> sessionKeys(const std::string& session)
{
    std::vector<unsigned> frames;
    std::string text, error;
    if (!readTextFile(std::string(REPLAYS) + "/" + session + ".keys", text) || !parseKeyScript(text, session, frames, error) ||
        frames.empty())
        ADD_FAILURE() << session << ": " << error;
    return frames;
}
