// bench_gl.cpp -- whole frames in a real OpenGL window (run it on Xvfb: Mesa's llvmpipe): the game's
// runFrame + glFinish against a bare loop that issues the same GL calls for the same quads; how the
// pictures' sizes change the busiest frame; and setUpGame with every picture from data/.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "BusyGame.h"
#include "game/Video.h"

static std::unique_ptr<Game> startState(bool busy)
{
    std::unique_ptr<Game> g(new Game());
    setUpGame(*g);
    if (busy) makeBusy(*g);
    return g;
}

static void gameFrames(benchmark::State& state, Game& start)
{
    std::unique_ptr<Game> game(new Game());
    long n = 0;
    for (auto _ : state) {
        if (n++ % 100 == 0) *game = start;
        runFrame(*game);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations());
}

// The same quads the game draws from this state, with the same calls, and nothing else.
static void bareFrames(benchmark::State& state, const Game& g)
{
    struct Quad {
        float x, y, angle, w, h;
        GLuint texture;
    };
    std::vector<Quad> quads;
    auto add = [&quads](const Sprite& s) { quads.push_back({s.x, s.y, s.angle, s.w, s.h, s.texture}); };
    add(g.starfield);
    add(g.ship);
    for (const Ball& b : g.balls)
        if (b.alive) add(b);
    for (const Bullet& b : g.bullets)
        if (b.alive) add(b);
    for (const Rock& r : g.rocks)
        if (r.alive) add(r);
    quads.push_back({g.cursor.x, g.cursor.y, g.cursor.angle, g.cursor.w, g.cursor.h, g.cursor.textures[0]});
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (const Quad& q : quads) drawTexturedQuad(q.x, q.y, q.angle, q.w, q.h, q.texture);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["quads"] = (double)quads.size();
}

static void BM_GameFrame(benchmark::State& state)
{
    auto start = startState(state.range(0));
    holdBusyKeys(state.range(0));
    gameFrames(state, *start);
    holdBusyKeys(false);
}
static void BM_BareFrame(benchmark::State& state) { bareFrames(state, *startState(state.range(0))); }
BENCHMARK(BM_GameFrame)->ArgName("busy")->Arg(0)->Arg(1)->UseRealTime();
BENCHMARK(BM_BareFrame)->ArgName("busy")->Arg(0)->Arg(1)->UseRealTime();

// A picture resampled (nearest texel) to size x size and uploaded as its own texture, as the game does.
static GLuint resampled(const char* file, int size)
{
    SDL_Surface* image = SDL_LoadBMP(file);
    if (!image) return 0;
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, 255, 0, 255));
    SDL_Surface* rgba = SDL_DisplayFormatAlpha(image);
    std::vector<Uint32> texels((size_t)size * size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            texels[(size_t)y * size + x] =
                ((Uint32*)rgba->pixels)[(size_t)(y * rgba->h / size) * (rgba->pitch / 4) + x * rgba->w / size];
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, 0x80E1 /* GL_BGRA */, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    SDL_FreeSurface(rgba);
    SDL_FreeSurface(image);
    return texture;
}

// The busiest frame with every rock's picture (100 textures) at the given size.
static void BM_BusyFrameRockPicture(benchmark::State& state)
{
    auto start = startState(true);
    std::vector<GLuint> made;
    for (Rock& r : start->rocks) made.push_back(r.texture = resampled("asteroid.bmp", state.range(0)));
    holdBusyKeys(true);
    gameFrames(state, *start);
    holdBusyKeys(false);
    glDeleteTextures((GLsizei)made.size(), made.data());
}
BENCHMARK(BM_BusyFrameRockPicture)->ArgName("side")->RangeMultiplier(2)->Range(32, 512)->UseRealTime();

// The busiest frame with the backdrop at the given size.
static void BM_BusyFrameStarfieldPicture(benchmark::State& state)
{
    auto start = startState(true);
    GLuint t = start->starfield.texture = resampled("starfield.bmp", state.range(0));
    holdBusyKeys(true);
    gameFrames(state, *start);
    holdBusyKeys(false);
    glDeleteTextures(1, &t);
}
BENCHMARK(BM_BusyFrameStarfieldPicture)->ArgName("side")->RangeMultiplier(2)->Range(256, 2048)->UseRealTime();

// Start-up of the objects: reads "asteroid.bmp" 100 times and makes 100 textures, as the game does.
static void BM_SetUpGame(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<Game> g(new Game());
        setUpGame(*g);
        state.PauseTiming();
        std::vector<GLuint> made = {g->starfield.texture, g->ship.texture};
        for (const Ball& b : g->balls) made.push_back(b.texture);
        for (const Bullet& b : g->bullets) made.push_back(b.texture);
        for (const Rock& r : g->rocks) made.push_back(r.texture);
        for (int i = 0; i < 7; i++) made.push_back(g->cursor.textures[i]);
        glDeleteTextures((GLsizei)made.size(), made.data());
        delete[] g->cursor.textures;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SetUpGame)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (chdir(DRIFTROCK_DATA_DIR) != 0 || startVideo() != 0) {
        fprintf(stderr, "bench_gl: needs the pictures in %s and a display (run it on Xvfb)\n", DRIFTROCK_DATA_DIR);
        return 1;
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
