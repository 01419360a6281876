// leak_check.cpp -- under the sanitizers, a leak of the game's own still fails the run while the system
// libraries' leaks stay suppressed: a real window opens, every picture loads, and two things are lost:
// 4096 bytes of our own, and a picture loaded through SDL (whose allocations are SDL_CreateRGBSurface's,
// as the library's own leak is).
#include <SDL.h>

#include "game/Game.h"
#include "game/Video.h"
#include "tests/support/TestSupport.h"

static char* volatile lost;
static SDL_Surface* volatile lostPicture;

int main()
{
    if (startVideo() != 0) return 2;
    freshGame();
    lost = new char[4096];
    lost = nullptr;
    lostPicture = SDL_LoadBMP("ball2.bmp");
    lostPicture = nullptr;
    stopVideo();
    SDL_Quit();
    return 0;
}
