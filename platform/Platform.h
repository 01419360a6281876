// Platform.h -- the little the game asks of the operating system beyond SDL and OpenGL; one source per
// platform implements it (PlatformX11.cpp, PlatformWindows.cpp, PlatformWeb.cpp), picked by the build.
#pragma once

// Before SDL starts: on X11, the game ends at once if its display goes away.
void platformBeforeVideo();
// A start-up failure, already printed on standard output: also shown where a player with no terminal
// sees it (a message box on Windows).
void platformShowFailure(const char* message);
// Whether the game itself goes full screen with F11 and Alt+Enter: a desktop's game does; in a browser
// the page has its own button, and F11 is the browser's.
bool platformSwitchesScreen();
// The colour depth full screen asks for, given the window's and the desktop's. Windows sets the display
// to the depth asked; SDL 2 (under the compatibility library) makes a new window for a new depth.
int platformFullScreenBits(int windowBits, int desktopBits);
// At shut-down: gives the desktop back its own display mode (Windows), or nothing.
void platformRestoreDisplayMode();
// Pads: a look for them begins, the files open now noted (false where no look is worth it, or where the
// game reads none: the page reads its own). Then whether the pads that SDL opened since are still pads a
// player holds: SDL 1.2 never says that one has gone, and keeps its last state.
bool platformBeginPadLook();
bool platformPadsPresent();
// Whether the picture of the frame about to be drawn will be seen. A desktop shows every swap; a browser
// shows at most one picture an animation frame, fewer than the game steps, and the rest would be drawn
// for nothing.
bool platformPictureSeen();
