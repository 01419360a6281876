// PlatformWeb.cpp -- the platform in a web browser: the page shows a failure, and the few SDL 1.2 calls
// that Emscripten's imitation lacks or does not do (key state, colour key, the frame's pause) are ours.
#include "platform/Platform.h"

#include <SDL.h>
#include <emscripten.h>

// Nothing to watch: the page outlives the game. The browser gets a turn between the runtime's start
// and the making of the picture's context, each a task of its own on a slow phone.
void platformBeforeVideo()
{
    if (emscripten_has_asyncify()) emscripten_sleep(0);
}

// The page has no terminal: it shows the message over the picture.
void platformShowFailure(const char* message)
{
    EM_ASM({ if (Module.showFailure) Module.showFailure(UTF8ToString($0)); }, message);
}

// The page's Full screen button, and the browser's own F11.
bool platformSwitchesScreen()
{
    return false;
}

// Never asked: the page does not switch.
int platformFullScreenBits(int windowBits, int desktopBits)
{
    (void)desktopBits;
    return windowBits;
}

// A page never changes the display's mode.
void platformRestoreDisplayMode() {}

// The page reads the browser's gamepads itself, with the touch controls (Module.heldKeys below).
bool platformBeginPadLook()
{
    return false;
}

bool platformPadsPresent()
{
    return false;
}

// The page says whether the browser has shown the last picture (an animation frame has come since it):
// the steps in between are played undrawn. Where no page answers (replay under Node.js), every one.
bool platformPictureSeen()
{
    return EM_ASM_INT({ return Module.pictureSeen ? Module.pictureSeen() : 1; });
}

extern "C" {

// The key state in SDL 1.2's numbers, refreshed from the browser's on every read (the browser keeps
// Space at 32 and the arrows at their scan codes + 1024). The page's touch controls and gamepad hold
// the same five keys: its Module.heldKeys() answers one bit a key, in this table's order, and a key is
// held while the keyboard or any of them holds it. Where SDL has not started (replay under Node.js)
// there is no browser state, and the array is the caller's to fill.
Uint8* SDL_GetKeyState(int* numkeys)
{
    static Uint8 keys[512];
    static const int pairs[][2] = {{SDLK_SPACE, 32}, {SDLK_UP, 82 | 1 << 10}, {SDLK_DOWN, 81 | 1 << 10},
                                   {SDLK_RIGHT, 79 | 1 << 10}, {SDLK_LEFT, 80 | 1 << 10}};
    if (const Uint8* browser = SDL_GetKeyboardState(nullptr)) {
        int page = EM_ASM_INT({ return Module.heldKeys ? Module.heldKeys() : 0; });
        for (int i = 0; i < 5; i++) keys[pairs[i][0]] = browser[pairs[i][1]] | ((page >> i) & 1);
    }
    if (numkeys) *numkeys = 512;
    return keys;
}

// The same key state under a name of the game's own, for the page's tests to read: a later Emscripten
// (3.1.69) exports its own SDL_GetKeyState to the page, in the browser's numbering and without touch.
EMSCRIPTEN_KEEPALIVE Uint8* gameKeyState()
{
    return SDL_GetKeyState(nullptr);
}

// The browser's SDL has no cursors of its own, and the game never switches the page's screen: the
// blank cursor of full screen (game/Video.cpp) is never made there.
SDL_Cursor* SDL_CreateCursor(const Uint8*, const Uint8*, int, int, int, int)
{
    return nullptr;
}

void SDL_SetCursor(SDL_Cursor*) {}

// The browser's SDL_SetColorKey does nothing, and its formats hold no key: the picture loader's key is
// kept here for the conversion that follows it.
static SDL_Surface* keyed = nullptr;
static Uint32 colourKey = 0;

int SDL_SetColorKey(SDL_Surface* surface, int flag, Uint32 key)
{
    keyed = (flag & SDL_SRCCOLORKEY) ? surface : nullptr;
    colourKey = key;
    return 0;
}

// The browser decodes a picture into R, G, B, A bytes, which its own SDL_DisplayFormatAlpha cannot
// convert. The copy keeps those bytes; a pixel of the key colour becomes transparent black, as SDL
// 1.2's conversion leaves it.
// Start-up loads some 140 pictures, one conversion each: the page hears of each (its progress bar
// moves), and every 100 ms of them the browser gets a turn (Asyncify, where the program has it), so that
// the page answers touches meanwhile; nothing the game reads changes.
SDL_Surface* SDL_DisplayFormatAlpha(SDL_Surface* image)
{
    static double turn = 0;
    EM_ASM({ if (Module.startupStep) Module.startupStep(); });
    if (emscripten_has_asyncify() && emscripten_get_now() - turn > 100) {
        emscripten_sleep(0);
        turn = emscripten_get_now();
    }
    const SDL_PixelFormat* f = image->format;
    if (f->BytesPerPixel != 4) return nullptr;
    SDL_Surface* copy = SDL_CreateRGBSurface(SDL_SWSURFACE, image->w, image->h, 32, f->Rmask, f->Gmask, f->Bmask, f->Amask);
    if (!copy) return nullptr;
    const Uint32 colour = f->Rmask | f->Gmask | f->Bmask;
    for (int y = 0; y < image->h; y++) {
        const Uint32* in = (const Uint32*)((const Uint8*)image->pixels + y * image->pitch);
        Uint32* out = (Uint32*)((Uint8*)copy->pixels + y * copy->pitch);
        for (int x = 0; x < image->w; x++)
            out[x] = (image == keyed && (in[x] & colour) == (colourKey & colour)) ? 0 : in[x];
    }
    return copy;
}

// The frame's pause gives the browser its turn (Asyncify): it shows the frame and takes the input.
// The page hears first that the frame has read its keys (a tap that began and ended before it has now
// been seen, and is let go) and counts it. While the tab is hidden, or the page has lost its picture,
// the game waits where it stands (a hidden tab's timers crawl, and nobody watches).
void SDL_Delay(Uint32 ms)
{
    EM_ASM({ if (Module.frameDone) Module.frameDone(); });
    emscripten_sleep(ms);
    while (EM_ASM_INT({ return document.hidden || Module.halted ? 1 : 0; })) emscripten_sleep(100);
}

}  // extern "C"
