// bench_sim.cpp -- the simulation alone (no OpenGL context: drawing calls do nothing): a frame at idle
// and at the busiest state, and a count of the heap allocations the game makes during play.
#include <benchmark/benchmark.h>

#include <memory>
#include <new>

#include "BusyGame.h"

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
// of a frame), so the busy state stays busy.
static void frames(benchmark::State& state, bool busy)
{
    std::unique_ptr<Game> start(new Game()), game(new Game());
    setUpGame(*start);
    if (busy) makeBusy(*start);
    holdBusyKeys(busy);
    long n = 0;
    for (auto _ : state) {
        if (n++ % 100 == 0) *game = *start;
        runFrame(*game);
        benchmark::DoNotOptimize(game->ship.x);
    }
    holdBusyKeys(false);
    state.SetItemsProcessed(state.iterations());
}

static void BM_FrameIdle(benchmark::State& state) { frames(state, false); }
static void BM_FrameBusiest(benchmark::State& state) { frames(state, true); }
BENCHMARK(BM_FrameIdle);
BENCHMARK(BM_FrameBusiest);

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
