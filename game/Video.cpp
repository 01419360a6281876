// Video.cpp -- opening the game's window onto the 1280 x 1024 world, and closing it down.
#include "game/Video.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Platform.h"

// The only global: kept to test the mode for null; nothing draws through it.
static SDL_Surface* screen = nullptr;

static void requestAttributes(int colourBits, int depthBits)
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// SDL's fall-backs when it finds no display: they draw nowhere a player can see (offscreen, dummy)
// or only as text in a terminal with no OpenGL (caca, aalib). Chosen on purpose, they stay allowed.
static bool showsNoWindow()
{
    const char* chosen = getenv("SDL_VIDEODRIVER");
    if (chosen && *chosen) return false;
    char name[32] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) return false;
    for (const char* fallBack : {"offscreen", "dummy", "caca", "aalib"})
        if (strcmp(name, fallBack) == 0) return true;
    return false;
}

// Prints a start-up failure, FORMAT taking SDL's reason whatever its length, and shows it to a player
// with no terminal. SDL is shut down first: a text-mode driver has switched the terminal to its
// alternate screen, and the message must land on the player's own screen, not vanish with that one.
static int fail(const char* format)
{
    std::string error = SDL_GetError();
    SDL_Quit();
    std::string message(snprintf(nullptr, 0, format, error.c_str()), '\0');
    snprintf(&message[0], message.size() + 1, format, error.c_str());
    printf("%s", message.c_str());
    fflush(stdout);
    platformShowFailure(message.c_str());
    return 1;
}

int startVideo()
{
    platformBeforeVideo();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("Unable to initialize SDL: %s\n");
    if (showsNoWindow()) {
        SDL_SetError("no display to show the window on (is DISPLAY or WAYLAND_DISPLAY set?)");
        return fail("Unable to set video mode: %s\n");
    }

    const Uint32 flags = SDL_OPENGLBLIT | SDL_DOUBLEBUF;
    requestAttributes(16, 16);
    screen = SDL_SetVideoMode(1024, 768, 16, flags);
    if (!screen) {
        // SDL on X11 takes the sizes as minimums and no visual has 16 bits a channel:
        // ask once more for the modest 5-bit colour every GL visual can give.
        requestAttributes(5, 16);
        screen = SDL_SetVideoMode(1024, 768, 16, flags);
    }
    if (!screen) return fail("Unable to set video mode: %s\n");
    SDL_WM_SetCaption("Driftrock", "Driftrock");

    glViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1280, 1024, 0, -1, 1);  // y grows down; the whole world fills the window
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0.5);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_CULL_FACE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // Every quad's corners and texture coordinates come from arrays (drawTexturedQuad).
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own cursor
    return 0;
}

void stopVideo()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    platformRestoreDisplayMode();
}
