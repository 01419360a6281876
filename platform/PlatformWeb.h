// PlatformWeb.h -- what the browser's SDL 1.2 (Emscripten's JavaScript imitation) declares or numbers
// differently; the web build includes it ahead of every source, so the game reads as it does elsewhere.
#pragma once

#include <SDL.h>

// Its headers leave these SDL 1.2 names out: the key-state call (PlatformWeb.cpp gives the game's
// own), and the video flag that asks for an OpenGL window, which is SDL_OPENGL in the browser's own
// numbering (its flags follow SDL 1.3: SDL_OPENGL 0x04000000, SDL_DOUBLEBUF 0x00400000).
extern "C" Uint8* SDL_GetKeyState(int* numkeys);
#define SDL_OPENGLBLIT SDL_OPENGL

// Its headers number the arrow keys as SDL 2 does (82 | 1 << 30 ...): far past any key-state array.
// The game keeps SDL 1.2's numbers, and the key state it reads is kept in them (PlatformWeb.cpp).
#define SDLK_UP 273
#define SDLK_DOWN 274
#define SDLK_RIGHT 275
#define SDLK_LEFT 276
