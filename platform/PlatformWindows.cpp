// PlatformWindows.cpp -- the platform on Windows: failures in a message box, the desktop's display mode
// given back at shut-down.
#include "platform/Platform.h"

#include <SDL.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

// Windows loses no display under a running game: the desktop outlives it.
void platformBeforeVideo() {}

// A Windows player starts the game from Explorer or the Start menu and has no terminal to read.
void platformShowFailure(const char* message)
{
    MessageBoxA(nullptr, message, "Driftrock", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// Full screen at the desktop's own size and depth: SDL asks Windows for the mode it already has.
bool platformSwitchesScreen()
{
    return true;
}

// The desktop's own depth: SDL asks Windows for the mode, and any other depth would change it.
int platformFullScreenBits(int windowBits, int desktopBits)
{
    (void)windowBits;
    return desktopBits;
}

void platformRestoreDisplayMode()
{
    ChangeDisplaySettingsA(nullptr, 0);  // no mode, no flags: the desktop's own mode from the registry
}

bool platformPictureSeen()
{
    return true;
}

// SDL's look starts its joystick part anew, which reads every device's capabilities and name (some
// milliseconds under wine): it is worth it only when winmm answers for a pad.
bool platformBeginPadLook()
{
    for (UINT id = 0; id < joyGetNumDevs() && id < 16; id++) {
        JOYINFOEX state = {};
        state.dwSize = sizeof state;
        state.dwFlags = JOY_RETURNALL;
        if (joyGetPosEx(id, &state) == JOYERR_NOERROR) return true;
    }
    return false;
}

// SDL's Windows joysticks (winmm) keep their last state when a pad goes, and say why in SDL's error.
bool platformPadsPresent()
{
    SDL_ClearError();
    SDL_JoystickUpdate();
    return !strstr(SDL_GetError(), "joyGetPosEx");
}
