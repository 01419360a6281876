// TestSupport.cpp -- the shared test helpers.
#include "TestSupport.h"

#include <cstdio>
#include <cstring>

#include "objects/World.h"

void holdKeys(const std::string& names)
{
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[SDLK_UP] = names.find('U') != std::string::npos;
    keys[SDLK_DOWN] = names.find('D') != std::string::npos;
    keys[SDLK_LEFT] = names.find('L') != std::string::npos;
    keys[SDLK_RIGHT] = names.find('R') != std::string::npos;
    keys[SDLK_SPACE] = names.find('S') != std::string::npos;
}

unsigned seedFor(int value)
{
    // state' = state * 214013 + 2531011; the draw is bits 16 ... 30 of state'. Pick state' and run it back.
    uint32_t next = (uint32_t)value << 16;
    uint32_t inverse = 214013u;  // Newton's iteration for the inverse of an odd number mod 2^32
    for (int i = 0; i < 5; i++) inverse *= 2u - 214013u * inverse;
    return (next - 2531011u) * inverse;
}

int drawsSince(unsigned seed)
{
    int next[3] = {rand15(), rand15(), rand15()};
    srand15(seed);
    std::vector<int> sequence;
    for (int i = 0; i < 1003; i++) sequence.push_back(rand15());
    for (int n = 0; n < 1000; n++)
        if (sequence[n] == next[0] && sequence[n + 1] == next[1] && sequence[n + 2] == next[2]) return n;
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

static void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(v & 0xff);
    out.push_back(v >> 8);
}

static void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

static void writeBmp(const std::string& path, int w, int h, int bits, const std::vector<Rgb>& palette,
                     const std::vector<uint8_t>& rows)
{
    uint32_t offset = 54 + 4 * (uint32_t)palette.size();
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + (uint32_t)rows.size());
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, w);
    put32(out, h);
    put16(out, 1);
    put16(out, bits);
    put32(out, 0);
    put32(out, (uint32_t)rows.size());
    put32(out, 2835);
    put32(out, 2835);
    put32(out, (uint32_t)palette.size());
    put32(out, 0);
    for (const Rgb& c : palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    out.insert(out.end(), rows.begin(), rows.end());
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(out.data(), 1, out.size(), f);
    fclose(f);
}

void writeBmp24(const std::string& path, int w, int h, Rgb (*pixel)(int x, int y))
{
    int stride = (w * 3 + 3) & ~3;
    std::vector<uint8_t> rows((size_t)stride * h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Rgb c = pixel(x, y);
            uint8_t* p = &rows[(size_t)(h - 1 - y) * stride + 3 * x];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    writeBmp(path, w, h, 24, {}, rows);
}

void writeBmp8(const std::string& path, int w, int h, const std::vector<Rgb>& palette,
               int (*index)(int x, int y))
{
    int stride = (w + 3) & ~3;
    std::vector<uint8_t> rows((size_t)stride * h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) rows[(size_t)(h - 1 - y) * stride + x] = (uint8_t)index(x, y);
    writeBmp(path, w, h, 8, palette, rows);
}
