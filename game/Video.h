// Video.h -- SDL and the OpenGL window at start-up, and the GL state at shut-down.
#pragma once

// SDL video, the 1024 x 768 OpenGL window, the world projection and the hidden system pointer.
// On failure prints the reason on standard output and returns 1; otherwise 0.
int startVideo();
// Tidies the GL state when the frame loop has ended.
void stopVideo();
