// defaults.cpp -- the sanitizer build's own settings, built into every program of that build: the leaks
// that are not ours to mend, each with its reason. Everything else LeakSanitizer finds fails the run.
#include <SDL.h>
#include <dlfcn.h>
#include <sanitizer/lsan_interface.h>

extern "C" const char* __lsan_default_suppressions()
{
    return
        // The cursor's frame table is made once at start-up and kept for the whole run, like every
        // texture; the process exit reclaims it.
        "leak:AnimatedSprite::setup\n"
        // The system's libraries under SDL, wholly inside them: Xlib duplicates strings (the locale's
        // and the display's names) that it never frees; Mesa's GLX and D-Bus (which SDL2 loads under
        // the compatibility library) keep per-process tables until the exit reclaims them.
        "leak:libX11.so\n"
        "leak:libGLX_mesa.so\n"
        "leak:libdbus-1.so\n";
}

// Quiet about the suppressions themselves; report only what fails.
extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}

// Classic SDL 1.2 makes the OpenGL-blit shadow of the video surface (1024 x 768 x 2 bytes) inside
// SDL_SetVideoMode, and SDL_Quit forgets it without freeing it. SDL is built without frame pointers,
// so the leak's stack ends in SDL_CreateRGBSurface, as every surface's does (our loader's too): no
// suppression can tell it from ours. What SDL allocates while it sets the video mode is its own (the
// game allocates nothing inside that call), so only that is left out of the leak check.
extern "C" SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    using SetVideoMode = SDL_Surface* (*)(int, int, int, Uint32);
    static const auto sdl = reinterpret_cast<SetVideoMode>(dlsym(RTLD_NEXT, "SDL_SetVideoMode"));
    __lsan_disable();
    SDL_Surface* screen = sdl(width, height, bpp, flags);
    __lsan_enable();
    return screen;
}
