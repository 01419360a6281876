// Sprite.h -- the drawable base: one BMP turned into one texture, drawn as a rotated, centred, blended quad.
#pragma once

#include <GL/gl.h>
#include <SDL.h>

class Sprite {
public:
    Sprite();

    // Reads a BMP (path relative to the working directory), makes pure magenta transparent and
    // uploads it as a new texture. A file that can't be read leaves everything as it was.
    void load(const char* file);
    // One quad of w x h world units centred on (x, y), turned by angle.
    void draw();

    float x;               // centre, world units
    float y;               // centre, world units (y grows down the screen)
    float angle;           // degrees, clockwise on screen; 0 points the image's top up the screen
    float w;               // drawn width, world units
    float h;               // drawn height, world units
    SDL_Surface* surface;  // the display-format copy, alive only while load() runs
    SDL_Surface* image;    // the image as read, alive only while load() runs
    GLuint texture;        // 0 until an image loads: an untextured quad
};

// The steps that Sprite::load and AnimatedSprite::loadFrame share: read, key magenta, convert,
// upload into a new texture name stored in `texture`, then release both surfaces and null them.
void loadTexture(const char* file, SDL_Surface*& image, SDL_Surface*& surface, GLuint& texture);

// A frame's picture begins: cleared if it will be `seen`; otherwise the quads until the next picture
// draw nothing. Every picture is seen until one says otherwise.
void beginPicture(bool seen);
// The quad that every sprite and the cursor draw: push, blend, translate, rotate, bind, the four corners
// from the vertex arrays that startVideo turns on, pop.
void drawTexturedQuad(float x, float y, float angle, float w, float h, GLuint texture);

// Level 0 of the bound texture from a 32-bit surface with alpha, in the byte order it really has.
void uploadSurface(SDL_Surface* surface);
