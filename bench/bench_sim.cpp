// bench_sim.cpp -- the simulation alone (no OpenGL context: drawing calls do nothing): a frame at idle
// and at the busiest state, an idle frame reading a pad, a look for pads and a check that they are
// still there (with the pad that bench/pads.py presents, or none), and a count of the heap allocations the game makes during play.
#include <benchmark/benchmark.h>

#include <utime.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "BusyGame.h"
#include "platform/Platform.h"

// Every heap allocation in this process goes through these while `counting` is set.
static bool counting = false;
static long allocations = 0;

extern "C" void* __libc_malloc(size_t);
extern "C" void __libc_free(void*);
extern "C" void* malloc(size_t n)
{
    if (counting) allocations++;
    return __libc_malloc(n);
}
void* operator new(size_t n)
{
    if (counting) allocations++;
    void* p = __libc_malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }

// Frames run from a fixed state, which is put back every 100 frames (the copy costs about a hundredth
// of a frame), so the busy state stays busy. With `pads`, the game reads pads as the game does (SDL's
// dummy video driver): a pad found at the first frame stays open.
static void frames(benchmark::State& state, bool busy, bool pads = false)
{
    std::unique_ptr<Game> start(new Game()), game(new Game());
    setUpGame(*start);
    if (busy) makeBusy(*start);
    if (pads && SDL_Init(SDL_INIT_VIDEO) != 0) return state.SkipWithError(SDL_GetError());
    start->pad.on = pads;
    holdBusyKeys(busy);
    long n = 0;
    for (auto _ : state) {
        if (n++ % 100 == 0) {
            const Pad pad = game->pad;
            *game = *start;
            if (n > 1) game->pad = pad;
        }
        runFrame(*game);
        benchmark::DoNotOptimize(game->ship.x);
    }
    holdBusyKeys(false);
    state.SetItemsProcessed(state.iterations());
    state.counters["pads"] = game->pad.count;
    game->pad.close();
}

static void BM_FrameIdle(benchmark::State& state) { frames(state, false); }
static void BM_FrameBusiest(benchmark::State& state) { frames(state, true); }
static void BM_FrameIdleReadingPads(benchmark::State& state) { frames(state, false, true); }
BENCHMARK(BM_FrameIdle);
BENCHMARK(BM_FrameBusiest);
BENCHMARK(BM_FrameIdleReadingPads);

// What a frame spends, every 2 s, looking for pads while none plays (or opening the one it finds). The
// game looks only while a pad's folder has lately changed: with a pad named (SDL_JOYSTICK_DEVICE), its
// folder changes before each look (a microsecond), so that every look is made.
static void BM_LookForPads(benchmark::State& state)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return state.SkipWithError(SDL_GetError());
    const char* named = getenv("SDL_JOYSTICK_DEVICE");
    const std::string folder = named ? std::string(named).substr(0, std::string(named).rfind('/')) : "";
    Pad pad;
    for (auto _ : state) {
        if (!folder.empty()) utime(folder.c_str(), nullptr);
        pad.look();
        state.counters["pads"] = pad.count;
        pad.close();
    }
}
BENCHMARK(BM_LookForPads);

// What a frame spends, every 200 ms while pads play, checking that they are still there.
static void BM_CheckPads(benchmark::State& state)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return state.SkipWithError(SDL_GetError());
    const char* named = getenv("SDL_JOYSTICK_DEVICE");
    if (named) utime(std::string(named).substr(0, std::string(named).rfind('/')).c_str(), nullptr);
    Pad pad;
    pad.look();
    bool present = true;
    for (auto _ : state) present = platformPadsPresent() && present;
    state.counters["pads"] = pad.count && present;
    pad.close();
}
BENCHMARK(BM_CheckPads);

// Not a timing: the allocations made by 1,000 busy frames (a thousand frames of play), reported as a
// counter. Start-up may allocate; play must not.
static void BM_AllocationsIn1000BusyFrames(benchmark::State& state)
{
    std::unique_ptr<Game> game(new Game());
    setUpGame(*game);
    makeBusy(*game);
    holdBusyKeys(true);
    long counted = 0;
    for (auto _ : state) {
        allocations = 0;
        counting = true;
        for (int i = 0; i < 1000; i++) runFrame(*game);
        counting = false;
        counted = allocations;
    }
    holdBusyKeys(false);
    state.counters["allocations"] = (double)counted;
    if (counted) state.SkipWithError("the game allocated during play");
}
BENCHMARK(BM_AllocationsIn1000BusyFrames)->Iterations(3);

BENCHMARK_MAIN();
