// PlatformWindows.cpp -- the platform on Windows: failures in a message box, the desktop's display mode
// given back at shut-down.
#include "platform/Platform.h"

#include <windows.h>

// Windows loses no display under a running game: the desktop outlives it.
void platformBeforeVideo() {}

// A Windows player starts the game from Explorer or the Start menu and has no terminal to read.
void platformShowFailure(const char* message)
{
    MessageBoxA(nullptr, message, "Driftrock", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void platformRestoreDisplayMode()
{
    ChangeDisplaySettingsA(nullptr, 0);  // no mode, no flags: the desktop's own mode from the registry
}
