// Video.h -- SDL and the OpenGL window at start-up, full screen and back, and the GL state at shut-down.
#pragma once

// SDL video, the 1024 x 768 OpenGL window, the world projection and the hidden system pointer.
// On failure prints the reason on standard output and returns 1; otherwise 0.
int startVideo();
// Between the window and full screen at the desktop's own size, the picture scaled 4:3 and centred,
// the GL state set again. Full screen that cannot be had leaves the window. Returns whether the switch
// brought a new OpenGL context, which holds none of the textures (SDL 1.2 on Windows and X11 makes one).
bool switchScreen();
// A pointer position as SDL gives it onto the 1024 x 768 picture: in full screen, from the picture's
// place, held at its edges; in the window, unchanged.
void pointerOnPicture(int& x, int& y);
// Tidies the GL state when the frame loop has ended.
void stopVideo();
