// leak_check.cpp -- under the sanitizers, a leak of the game's own still fails the run while the system
// libraries' leaks stay suppressed: a real window opens, every picture loads, and two things are lost:
// 4096 bytes of our own, and a picture loaded through SDL (whose allocations are SDL_CreateRGBSurface's,
// as the library's own leak is). leak_report.py accepts exactly those two.
#include <SDL.h>

#include "game/Game.h"
#include "game/Video.h"
#include "tests/support/TestSupport.h"

static char* volatile lost;
static SDL_Surface* volatile lostPicture;

// Apart, so that the report names where each was lost.
__attribute__((noinline)) static void loseOurOwn()
{
    lost = new char[4096];
    lost = nullptr;
}

__attribute__((noinline)) static void losePicture()
{
    lostPicture = SDL_LoadBMP("ball2.bmp");
    lostPicture = nullptr;
}

int main()
{
    if (startVideo() != 0) return 2;
    freshGame();
    loseOurOwn();
    losePicture();
    stopVideo();
    SDL_Quit();
    return 0;
}
