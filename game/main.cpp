// main.cpp -- the game's entry: start-up, the frame loop until Escape or the window closes, shut-down.
#include <SDL.h>
#include <cstdlib>

#include "game/Game.h"
#include "game/Video.h"

int main(int argc, char* argv[])
{
    (void)argc;
    (void)argv;
    Game game;

    atexit(SDL_Quit);  // SDL shuts down on every way out
    game.done = 0;
    if (startVideo() != 0) return 1;

    setUpGame(game);
    game.pad.on = true;
    while (!game.done) {
        runFrame(game);
        presentFrame();
    }

    game.pad.close();
    stopVideo();
    return 0;
}
