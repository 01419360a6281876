/* first_frame_shim.c -- preloaded into the real game by bench/startup.py, never shipped: notes the
 * monotonic time and the peak resident memory at the first presented frame, and the peak again after
 * DRIFTROCK_BENCH_FRAMES frames, in the file DRIFTROCK_BENCH_OUT. */
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

void SDL_GL_SwapBuffers(void)
{
    static void (*real)(void);
    if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    real();
    frames++;
    const char* limit = getenv("DRIFTROCK_BENCH_FRAMES");
    if (frames == 1) note("first");
    if (limit && frames == atol(limit)) note("later");
}
