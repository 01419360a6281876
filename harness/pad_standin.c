// pad_standin.c -- preloaded into the game by harness/pad.py: the kernel's answers about a joystick device
// (2 axes, X and Y; 2 buttons, south and east, or none where PAD_STANDIN_NO_BUTTONS is set; its name)
// for the named pipe that pad.py presents as one (SDL_JOYSTICK_DEVICE); the SDL2-based runtime asks them
// before it takes a device. The rest goes on.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <linux/input.h>
#include <linux/joystick.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

static int opened = -1;

int ioctl(int fd, unsigned long request, ...)
{
    va_list list;
    va_start(list, request);
    void* arg = va_arg(list, void*);
    va_end(list);
    char link[32], path[4096] = "";
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const char* pad = getenv("SDL_JOYSTICK_DEVICE");
    const unsigned short buttons[2] = {BTN_SOUTH, BTN_EAST};
    if (readlink(link, path, sizeof path - 1) > 0 && pad && !strcmp(path, pad) && _IOC_TYPE(request) == 'j') {
        switch (_IOC_NR(request)) {
            case _IOC_NR(JSIOCGVERSION): return *(int*)arg = JS_VERSION, 0;
            case _IOC_NR(JSIOCGAXES): return *(unsigned char*)arg = 2, 0;
            case _IOC_NR(JSIOCGBUTTONS):
                // A file opened at each look for pads, as Mesa's shader cache or a memfd may be by another
                // thread: the game must not take it for a pad.
                if (opened >= 0) close(opened);
                opened = memfd_create("driftrock-standin", 0);
                return *(unsigned char*)arg = getenv("PAD_STANDIN_NO_BUTTONS") ? 0 : 2, 0;
            case _IOC_NR(JSIOCGAXMAP): return memcpy(arg, "\0\1", 2), 0;
            case _IOC_NR(JSIOCGBTNMAP): return memcpy(arg, buttons, sizeof buttons), 0;
            case _IOC_NR(JSIOCGNAME(0)): return snprintf(arg, _IOC_SIZE(request), "Driftrock test pad") + 1;
        }
    }
    return ((int (*)(int, unsigned long, void*))dlsym(RTLD_NEXT, "ioctl"))(fd, request, arg);
}
