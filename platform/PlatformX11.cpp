// PlatformX11.cpp -- the platform on Linux and other X11 desktops: a lost display ends the game.
#include "platform/Platform.h"

#include <X11/Xlib.h>
#include <unistd.h>

// The X server went away (logout, a crashed server or XWayland): end at once. Xlib's own handler
// exits through atexit, and SDL2's shut-down then waits forever on the dead connection.
static int displayLost(Display*)
{
    _exit(1);
}

void platformBeforeVideo()
{
    XSetIOErrorHandler(displayLost);
}

// A player who started the game from a menu has no terminal either, but the desktop's own session
// log keeps standard output: nothing more to show.
void platformShowFailure(const char*) {}

// X11 windows never change the desktop's mode.
void platformRestoreDisplayMode() {}
