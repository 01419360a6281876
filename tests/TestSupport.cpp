// TestSupport.cpp -- the shared test helpers.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "KeyScript.h"
#include "objects/World.h"

void holdKeys(const std::string& names)
{
    std::vector<unsigned> frames;
    std::string error;
    parseKeyScript(names.empty() ? "-" : names, "keys", frames, error);
    holdKeySet(frames.empty() ? 0 : frames[0]);
}

unsigned seedFor(int value)
{
    // The draw is bits 16 ... 30 of state * 214013 + 2531011: pick that state and run it back.
    uint32_t inverse = 214013u;  // Newton's iteration for the inverse of an odd number mod 2^32
    for (int i = 0; i < 5; i++) inverse *= 2u - 214013u * inverse;
    return (((uint32_t)value << 16) - 2531011u) * inverse;
}

int drawsSince(unsigned seed)
{
    int next[3] = {rand15(), rand15(), rand15()};
    srand15(seed);
    std::vector<int> seq;
    for (int i = 0; i < 1003; i++) seq.push_back(rand15());
    for (int n = 0; n < 1000; n++)
        if (seq[n] == next[0] && seq[n + 1] == next[1] && seq[n + 2] == next[2]) return n;
    return -1;
}

std::unique_ptr<Game> freshGame()
{
    holdKeys("");
    srand15(1);
    std::unique_ptr<Game> game(new Game());
    setUpGame(*game);
    return game;
}

void runFrames(Game& game, int count, const std::string& keys)
{
    holdKeys(keys);
    for (int i = 0; i < count; i++) runFrame(game);
}

std::vector<unsigned> sessionKeys(const std::string& session)
{
    std::ifstream in(std::string(REPLAYS) + "/" + session + ".keys");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<unsigned> frames;
    std::string error;
    if (!parseKeyScript(text.str(), session, frames, error) || frames.empty()) ADD_FAILURE() << session << ": " << error;
    return frames;
}
