// Sprite.cpp -- loading a BMP into an OpenGL texture, and drawing a sprite's quad.
#include "sprite/Sprite.h"

#include <SDL_endian.h>

#include <cstdint>
#include <cstdio>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

Sprite::Sprite()
    : x(0), y(0), angle(0), w(64), h(64), surface(nullptr), image(nullptr), texture(0)
{
}

void Sprite::load(const char* file)
{
    loadTexture(file, image, surface, texture);
}

void Sprite::draw()
{
    drawTexturedQuad(x, y, angle, w, h, texture);
}

// Where in memory (byte 0 ... 3) the 8-bit channel with this mask lies in a 32-bit pixel; -1 if it is
// not a whole byte.
static int byteOf(Uint32 mask)
{
    int shift = -1;
    for (int s = 0; s < 32; s += 8)
        if (mask == (0xffu << s)) shift = s;
    if (shift < 0) return -1;
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    return shift / 8;
#else
    return 3 - shift / 8;
#endif
}

// Uploads a 32-bit surface with alpha as level 0 of the bound texture. The display format with
// alpha is usually B, G, R, A in memory on a little-endian machine; it goes up in the byte order
// it really has, so the picture shows as it looks in the file.
void uploadSurface(SDL_Surface* surface)
{
    const SDL_PixelFormat* f = surface->format;
    int r = byteOf(f->Rmask), g = byteOf(f->Gmask), b = byteOf(f->Bmask), a = byteOf(f->Amask);
    if (f->BytesPerPixel == 4 && surface->pitch == surface->w * 4 && g == 1 && a == 3) {
        if (r == 0 && b == 2) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, surface->w, surface->h, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, surface->pixels);
            return;
        }
        if (r == 2 && b == 0) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, surface->w, surface->h, 0, GL_BGRA,
                         GL_UNSIGNED_BYTE, surface->pixels);
            return;
        }
    }
    // Any other layout: copy into R, G, B, A bytes first.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    SDL_Surface* rgba = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0x000000ff, 0x0000ff00,
                                             0x00ff0000, 0xff000000);
#else
    SDL_Surface* rgba = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0xff000000, 0x00ff0000,
                                             0x0000ff00, 0x000000ff);
#endif
    if (!rgba) return;
    SDL_Surface* copy = SDL_ConvertSurface(surface, rgba->format, SDL_SWSURFACE);
    SDL_FreeSurface(rgba);
    if (!copy) return;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, copy->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, copy->w, copy->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 copy->pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    SDL_FreeSurface(copy);
}

static uint32_t le(const unsigned char* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = v << 8 | p[i];
    return v;
}

// SDL 1.2's loader trusts the header: it accepts any bit depth (255 bits a pixel, say), lets sizes
// overflow into a zero pitch, and allocates whatever the header claims before reading a pixel. So the
// header is checked first: a known header size, a bit depth of 1, 4, 8, 16, 24 or 32, sides from 1 to
// 16384 and, for uncompressed pixels, a file long enough to hold them. Anything else counts as a file
// that cannot be read.
static bool plausibleBmp(const char* file)
{
    FILE* f = fopen(file, "rb");
    if (!f) return false;
    unsigned char h[34] = {0};
    size_t got = fread(h, 1, sizeof h, f);
    long size = fseek(f, 0, SEEK_END) == 0 ? ftell(f) : -1;
    fclose(f);
    if (got < 26 || size < 0 || h[0] != 'B' || h[1] != 'M') return false;
    uint32_t info = le(h + 14, 4), compression = 0;
    long long width, height, bits;
    if (info == 12) {  // the OS/2 core header: 16-bit sides
        width = le(h + 18, 2), height = le(h + 20, 2), bits = le(h + 24, 2);
    } else if (got == sizeof h && (info == 40 || info == 52 || info == 56 || info == 64 || info == 108 || info == 124)) {
        width = (int32_t)le(h + 18, 4), height = (int32_t)le(h + 22, 4), bits = le(h + 28, 2);
        compression = le(h + 30, 4);
    } else {
        return false;
    }
    if (height < 0) height = -height;  // top-down rows
    if (width < 1 || width > 16384 || height < 1 || height > 16384) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression == 0 || compression == 3) {  // plain rows: the last one may lack its padding
        long long start = le(h + 10, 4) ? le(h + 10, 4) : 14 + info;
        long long stride = (width * bits + 31) / 32 * 4, row = (width * bits + 7) / 8;
        if (size < start + stride * (height - 1) + row) return false;
    }
    return true;
}

// SDL's loader can hand back a surface that its own converter then crashes on: a palette depth with
// no palette (a header that claims 1 bit per pixel together with colour masks). Such a file counts as
// one that cannot be read.
static bool convertible(const SDL_Surface* image)
{
    const SDL_PixelFormat* f = image->format;
    return f->BitsPerPixel > 8 || (f->palette && f->palette->ncolors > 0);
}

void loadTexture(const char* file, SDL_Surface*& image, SDL_Surface*& surface, GLuint& texture)
{
    if (!plausibleBmp(file)) return;
    // The loader closes the stream itself (freesrc 1), and a stream that failed to open gives no image.
    image = SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1);
    if (!image) return;
    if (!convertible(image)) {
        SDL_FreeSurface(image);
        image = nullptr;
        return;
    }

    Uint32 key = SDL_MapRGB(image->format, 255, 0, 255);
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, key);
    surface = SDL_DisplayFormatAlpha(image);
    // A failed conversion (no video mode, no memory) makes no texture: the old name stays.
    if (surface) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        uploadSurface(surface);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    // Nothing reads the image after the conversion; 100 rocks' copies would only hold memory.
    SDL_FreeSurface(image);
    image = nullptr;
}

// Whether the frame's picture is drawn. One flag for the whole program, as there is one picture.
static bool pictureSeen = true;

void beginPicture(bool seen)
{
    pictureSeen = seen;
    if (seen) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void drawTexturedQuad(float x, float y, float angle, float w, float h, GLuint texture)
{
    if (!pictureSeen) return;
    // The corners in order, each with its texture coordinate (x, y, s, t): one draw call where
    // glBegin and glEnd took ten, the same quad from the same numbers.
    const GLfloat corners[16] = {-w / 2, -h / 2, 0, 0, w / 2, -h / 2, 1, 0, w / 2, h / 2, 1, 1, -w / 2, h / 2, 0, 1};
    glPushMatrix();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTranslatef(x, y, 0);
    glRotatef(angle, 0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(GLfloat), corners);
    glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(GLfloat), corners + 2);
    glDrawArrays(GL_QUADS, 0, 4);
    glPopMatrix();
}
