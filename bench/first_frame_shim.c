/* first_frame_shim.c -- preloaded into the real game by bench/startup.py and bench/fullscreen.py, never
 * shipped: notes the monotonic time and the peak resident memory at the first presented frame, the peak
 * again after DRIFTROCK_BENCH_FRAMES frames, and the first frame presented after each change of video
 * mode ("full" or "window"), in the file DRIFTROCK_BENCH_OUT. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long frames;

static long peakKiB(void)
{
    char line[256];
    long kib = -1;
    FILE* f = fopen("/proc/self/status", "r");
    while (f && fgets(line, sizeof line, f))
        if (strncmp(line, "VmHWM:", 6) == 0) kib = atol(line + 6);
    if (f) fclose(f);
    return kib;
}

static void note(const char* what)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    FILE* out = fopen(getenv("DRIFTROCK_BENCH_OUT"), "a");
    if (!out) return;
    fprintf(out, "%s frame=%ld ns=%lld peak_kib=%ld\n", what, frames, (long long)t.tv_sec * 1000000000LL + t.tv_nsec,
            peakKiB());
    fclose(out);
}

/* SDL 1.2's surface begins with its flags, and SDL_FULLSCREEN is their top bit: no SDL headers needed. */
static const char* switched; /* the mode set since the last frame presented, if any */

unsigned* SDL_SetVideoMode(int width, int height, int bpp, unsigned flags)
{
    static unsigned* (*real)(int, int, int, unsigned);
    if (!real) real = (unsigned* (*)(int, int, int, unsigned))dlsym(RTLD_NEXT, "SDL_SetVideoMode");
    unsigned* set = real(width, height, bpp, flags);
    if (set && frames) switched = *set & 0x80000000u ? "full" : "window";
    return set;
}

void SDL_GL_SwapBuffers(void)
{
    static void (*real)(void);
    if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    real();
    frames++;
    const char* limit = getenv("DRIFTROCK_BENCH_FRAMES");
    if (frames == 1) note("first");
    if (limit && frames == atol(limit)) note("later");
    if (switched) note(switched), switched = NULL;
}
