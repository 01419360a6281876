// AnimatedSprite.h -- a rotated quad that steps through a table of frame textures, one countdown per draw.
#pragma once

#include <GL/gl.h>
#include <SDL.h>

class AnimatedSprite {
public:
    // Takes `delay` as it stands now for the countdown; allocates the frame table (every entry 0).
    void setup(int count);
    // Runs the animation forward again from the frame where it stands.
    void start();
    // Loads one frame's BMP into textures[index]; a file that can't be read leaves the entry as it was.
    void loadFrame(const char* file, int index);
    // Advances the countdown (and maybe the frame), then draws the frame it now shows.
    void draw();

    float x = 0;                     // centre, world units
    float y = 0;                     // centre, world units
    float angle = 0;                 // degrees, clockwise on screen
    float w = 64;                    // drawn width, world units
    float h = 64;                    // drawn height, world units
    int delay = 0;                   // a frame stays for delay + 1 draws
    int frame = 0;                   // index into textures of the frame drawn
    int frameCount = 0;              // entries in textures
    int countdown = 0;               // draws left before the next change of frame
    int step = 1;                    // added to frame at each change
    bool animating = false;          // the countdown runs only while true
    SDL_Surface* surface = nullptr;  // the display-format copy, alive only while loadFrame() runs
    SDL_Surface* image = nullptr;    // the image as read, alive only while loadFrame() runs
    GLuint* textures = nullptr;      // frameCount texture names, frame 0 first; kept for the whole run
};
