// pad_look.cpp -- what the game's look for pads costs on Windows (winmm reads up to 16 devices), made
// 200 times under the real SDL; bench/pads.py runs it under wine. Prints "a look: N ms (P pads)".
#include <SDL.h>

#include <chrono>
#include <cstdio>

#include "game/Pad.h"

int main(int, char**)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    Pad pad;
    int found = 0;
    const int looks = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < looks; i++) {
        pad.look();
        found = pad.count;
        pad.close();
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    printf("a look: %.3f ms (%d pads)\n", spent.count() / looks, found);
    SDL_Quit();
    return 0;
}
