// TestSupport.cpp -- the shared test helpers.
#include "TestSupport.h"

#include <cstdio>

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

void writeBmp(const std::string& path, int w, int h, Rgb (*pixel)(int x, int y), const std::vector<Rgb>& palette)
{
    int bytes = palette.empty() ? 3 : 1, stride = (w * bytes + 3) & ~3;
    uint32_t offset = 54 + 4 * (uint32_t)palette.size(), size = (uint32_t)stride * h;
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t v, int n) {
        for (int i = 0; i < n; i++) out.push_back((v >> (8 * i)) & 0xff);
    };
    put('B' | 'M' << 8, 2);
    for (uint32_t v : {offset + size, 0u, offset, 40u, (uint32_t)w, (uint32_t)h}) put(v, 4);
    put(1, 2);
    put(8 * bytes, 2);
    for (uint32_t v : {0u, size, 2835u, 2835u, (uint32_t)palette.size(), 0u}) put(v, 4);
    for (const Rgb& c : palette) put(c.b | c.g << 8 | c.r << 16, 4);
    for (int y = h - 1; y >= 0; y--) {
        for (int x = 0; x < w; x++) {
            Rgb c = pixel(x, y);
            put(bytes == 1 ? c.r : (c.b | c.g << 8 | c.r << 16), bytes);
        }
        put(0, stride - w * bytes);
    }
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(out.data(), 1, out.size(), f);
    fclose(f);
}
