// Video.cpp -- opening the game's window onto the 1280 x 1024 world, and closing it down.
#include "game/Video.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

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

int startVideo()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        printf("Unable to initialize SDL: %s\n", SDL_GetError());
        return 1;
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
    if (!screen) {
        printf("Unable to set video mode: %s\n", SDL_GetError());
        return 1;
    }
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

    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own cursor
    return 0;
}

void stopVideo()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
#ifdef _WIN32
    ChangeDisplaySettingsA(nullptr, 0);  // give the desktop back its own display mode
#endif
}
