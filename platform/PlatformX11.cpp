// PlatformX11.cpp -- the platform on Linux and other X11 desktops: a lost display ends the game.
#include "platform/Platform.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Full screen at the desktop's size: SDL uses the mode that is set, and changes none.
bool platformSwitchesScreen()
{
    return true;
}

// No X server changes its depth. The desktop's: the compatibility library then makes a new window,
// full screen at once even with no window manager. But on Wayland its SDL 2.26 crashes in making a new
// window: there the window's, and it keeps the one it has.
int platformFullScreenBits(int windowBits, int desktopBits)
{
    char driver[16] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    return strcmp(driver, "wayland") == 0 ? windowBits : desktopBits;
}

// X11 windows never change the desktop's mode.
void platformRestoreDisplayMode() {}

// Every swap shows its picture.
bool platformPictureSeen()
{
    return true;
}

// A file open in the game: its number, and the file it is (device and inode: a number is reused).
struct OpenFile {
    int fd;
    dev_t dev;
    ino_t ino;
    mode_t mode;
};

// Fills FILES with the files open now (at most MAX of them): their count.
static int openFiles(OpenFile* files, int max)
{
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return 0;
    while (const dirent* entry = readdir(dir)) {
        const int fd = atoi(entry->d_name);
        struct stat file;
        if (entry->d_name[0] != '.' && fd != dirfd(dir) && count < max && fstat(fd, &file) == 0)
            files[count++] = {fd, file.st_dev, file.st_ino, file.st_mode};
    }
    closedir(dir);
    return count;
}

// The files open as the look began, and the pads' files: those SDL opened while it looked.
static OpenFile openBeforeLook[1024], padFiles[16];
static int openBeforeCount = 0, padCount = 0;
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

bool platformBeginPadLook()
{
    if (!padsMayHaveCome()) return false;
    openBeforeCount = openFiles(openBeforeLook, 1024);
    padFilesKnown = false;
    return true;
}

// The pads' files are devices that were not open as the look began, and the file that
// SDL_JOYSTICK_DEVICE names; what another thread opened meanwhile (Mesa's shader cache, a memfd) is
// neither.
static void notePadFiles()
{
    static OpenFile now[1024];
    const int count = openFiles(now, 1024);
    const char* named = getenv("SDL_JOYSTICK_DEVICE");
    struct stat namedFile;
    const bool haveNamed = named && stat(named, &namedFile) == 0;
    padCount = 0;
    for (int i = 0; i < count && padCount < 16; i++) {
        bool wasOpen = false;
        for (int j = 0; j < openBeforeCount && !wasOpen; j++)
            wasOpen = now[i].dev == openBeforeLook[j].dev && now[i].ino == openBeforeLook[j].ino;
        if (!wasOpen && (S_ISCHR(now[i].mode) ||
                         (haveNamed && now[i].dev == namedFile.st_dev && now[i].ino == namedFile.st_ino)))
            padFiles[padCount++] = now[i];
    }
    padFilesKnown = true;
}

// An unplugged pad's device is deleted from /dev while its file stays open; a plain file or folder
// named as a pad (SDL_JOYSTICK_DEVICE) is no pad at all, and its bytes would read as a pad's moves.
bool platformPadsPresent()
{
    if (!padFilesKnown) notePadFiles();
    for (int i = 0; i < padCount; i++) {
        const OpenFile& pad = padFiles[i];
        struct stat file;
        char link[32], target[4096];
        snprintf(link, sizeof link, "/proc/self/fd/%d", pad.fd);
        const ssize_t n = readlink(link, target, sizeof target - 1);
        target[n > 0 ? n : 0] = '\0';
        if (fstat(pad.fd, &file) != 0 || file.st_dev != pad.dev || file.st_ino != pad.ino || S_ISREG(file.st_mode) ||
            S_ISDIR(file.st_mode) || (n > 10 && strcmp(target + n - 10, " (deleted)") == 0))
            return false;
    }
    return true;
}
