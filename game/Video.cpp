// Video.cpp -- opening the game's window onto the 1280 x 1024 world, switching it to full screen and
// back, and closing it down.
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

// Where the 1024 x 768 picture lies on what SDL shows: the whole window, or in full screen the largest
// 4:3 rectangle centred on the desktop, with black bars on the rest. Video state, like `screen`.
static struct {
    bool full = false;
    int desktopW = 0, desktopH = 0;       // the desktop's mode: SDL says it only before the first one
    int desktopBits = 0;
    int width = 1024, height = 768;       // what SDL shows, pixels
    int x = 0, y = 0, w = 1024, h = 768;  // the picture in it, from the top-left
} shown;

static const Uint32 WINDOW_FLAGS = SDL_OPENGLBLIT | SDL_DOUBLEBUF;

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

static void setUpGl();

int startVideo()
{
    platformBeforeVideo();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail("Unable to initialize SDL: %s\n");
    if (showsNoWindow()) {
        SDL_SetError("no display to show the window on (is DISPLAY or WAYLAND_DISPLAY set?)");
        return fail("Unable to set video mode: %s\n");
    }

    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    shown.desktopW = desktop ? desktop->current_w : 0;
    shown.desktopH = desktop ? desktop->current_h : 0;
    shown.desktopBits = desktop && desktop->vfmt ? desktop->vfmt->BitsPerPixel : 0;

    requestAttributes(16, 16);
    screen = SDL_SetVideoMode(1024, 768, 16, WINDOW_FLAGS);
    if (!screen) {
        // SDL on X11 takes the sizes as minimums and no visual has 16 bits a channel:
        // ask once more for the modest 5-bit colour every GL visual can give.
        requestAttributes(5, 16);
        screen = SDL_SetVideoMode(1024, 768, 16, WINDOW_FLAGS);
    }
    if (!screen) return fail("Unable to set video mode: %s\n");
    SDL_WM_SetCaption("Driftrock", "Driftrock");
    setUpGl();
    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own cursor
    return 0;
}

// The projection and the GL state, on the picture's place: at start-up, and again after each switch,
// which may bring a new OpenGL context that holds none of it.
static void setUpGl()
{
    glViewport(shown.x, shown.height - shown.y - shown.h, shown.w, shown.h);
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
}

bool switchScreen()
{
    // A texture name of its own tells whether the context survives: a new one knows no names.
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glBindTexture(GL_TEXTURE_2D, probe);

    // Full screen at the desktop's own size, so that the display's mode never changes.
    SDL_Surface* to = nullptr;
    const Uint32 full = WINDOW_FLAGS | SDL_FULLSCREEN;
    const int bits = platformFullScreenBits(16, shown.desktopBits);
    if (!shown.full && SDL_VideoModeOK(shown.desktopW, shown.desktopH, bits, full))
        to = SDL_SetVideoMode(shown.desktopW, shown.desktopH, bits, full);
    if (!to) to = SDL_SetVideoMode(1024, 768, 16, WINDOW_FLAGS);  // leaving it, or full screen refused
    screen = to ? to : SDL_GetVideoSurface();
    if (!screen) return false;  // no window could be had again: the game plays on unseen

    shown.full = screen->flags & SDL_FULLSCREEN;
    shown.width = screen->w;
    shown.height = screen->h;
    // 4:3 kept: the height limits the picture unless the screen is narrower than 4:3.
    const bool wide = shown.width * 3 >= shown.height * 4;
    shown.w = wide ? shown.height * 4 / 3 : shown.width;
    shown.h = wide ? shown.height : shown.width * 3 / 4;
    shown.x = (shown.width - shown.w) / 2;
    shown.y = (shown.height - shown.h) / 2;
    setUpGl();
    // SDL grabs the pointer in full screen, and a hidden one then reports motion from where it last was
    // (the compatibility library's relative mode), not where the player puts it: from the first switch
    // on, a blank cursor shows instead.
    static Uint8 none[1] = {0};
    static SDL_Cursor* blank = SDL_CreateCursor(none, none, 8, 1, 0, 0);
    if (blank) SDL_SetCursor(blank);
    SDL_ShowCursor(blank ? SDL_ENABLE : SDL_DISABLE);

    const bool kept = glIsTexture(probe);
    if (kept) glDeleteTextures(1, &probe);
    return !kept;
}

// One axis of a pointer position: from the picture's place on the screen (FROM, SIZE pixels) onto its
// SPAN picture pixels, held at its edges.
static int ontoPicture(int at, int from, int size, int span)
{
    at = (at - from) * span / size;
    return at < 0 ? 0 : at >= span ? span - 1 : at;
}

void pointerOnPicture(int& x, int& y)
{
    if (!shown.full) return;
    x = ontoPicture(x, shown.x, shown.w, 1024);
    y = ontoPicture(y, shown.y, shown.h, 768);
}

void stopVideo()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    platformRestoreDisplayMode();
}
