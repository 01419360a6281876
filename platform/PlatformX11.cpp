// PlatformX11.cpp -- the platform on Linux and other X11 desktops: a lost display ends the game.
#include "platform/Platform.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

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

// Every swap shows its picture.
bool platformPictureSeen()
{
    return true;
}

// The files open now, by number (those past 1023 are not watched).
static std::bitset<1024> openFiles()
{
    std::bitset<1024> open;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return open;
    while (const dirent* entry = readdir(dir)) {
        const int fd = atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd >= 0 && fd < 1024 && fd != dirfd(dir)) open.set(fd);
    }
    closedir(dir);
    return open;
}

// The pads' files are those SDL opened while it looked for them.
static std::bitset<1024> openBeforeLook, padFiles;
static bool padFilesKnown = false;

// A look costs the SDL2-based runtime some milliseconds, and classic SDL a fraction of one: after the
// first, one is worth it only while a folder that pads appear in (/dev/input, or the one that
// SDL_JOYSTICK_DEVICE names a file in) has changed in the last 10 s. Not only at the change: a new
// device's permissions come a moment after it.
static bool padsMayHaveCome()
{
    static bool first = true;
    const char* named = getenv("SDL_JOYSTICK_DEVICE");
    std::string folders[2] = {"/dev/input", named ? std::string(named).substr(0, std::string(named).rfind('/') + 1) : ""};
    for (const std::string& folder : folders) {
        struct stat changed;
        if (!folder.empty() && stat(folder.c_str(), &changed) == 0 && time(nullptr) - changed.st_mtime < 10) return true;
    }
    const bool look = first;
    first = false;
    return look;
}

bool platformLookingForPads()
{
    if (!padsMayHaveCome()) return false;
    openBeforeLook = openFiles();
    padFilesKnown = false;
    return true;
}

// An unplugged pad's device is deleted from /dev while its file stays open; a plain file or folder
// named as a pad (SDL_JOYSTICK_DEVICE) is no pad at all, and its bytes would read as a pad's moves.
bool platformPadsPresent()
{
    if (!padFilesKnown) padFiles = openFiles() & ~openBeforeLook;
    padFilesKnown = true;
    for (int fd = 0; fd < 1024; fd++) {
        if (!padFiles[fd]) continue;
        struct stat file;
        char link[32], target[4096];
        snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t n = readlink(link, target, sizeof target - 1);
        target[n > 0 ? n : 0] = '\0';
        if (fstat(fd, &file) != 0 || S_ISREG(file.st_mode) || S_ISDIR(file.st_mode) ||
            (n > 10 && strcmp(target + n - 10, " (deleted)") == 0))
            return false;
    }
    return true;
}
