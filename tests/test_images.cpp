// test_images.cpp -- each of the game's pictures is a BMP that SDL 1.2 loads, with power-of-two sides and
// exact magenta where (and only where) it is transparent. (That they are the generator's output is
// checked by `images_are_generated`.)
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

static const char* const BMPS[] = {"starfield.bmp", "aimage.bmp", "ball2.bmp", "green.bmp", "asteroid.bmp",
                                   "a1/c1.bmp", "a1/c2.bmp", "a1/c3.bmp", "a1/c4.bmp", "a1/c5.bmp",
                                   "a1/c6.bmp", "a1/c7.bmp"};

TEST(Images, EachLoadsWithPowerOfTwoSidesAndExactMagentaOnlyWhereTransparent)
{
    for (const char* name : BMPS) {
        SDL_Surface* s = SDL_LoadBMP((std::string(SOURCE_DIR) + "/data/" + name).c_str());
        ASSERT_NE(nullptr, s) << name << ": " << SDL_GetError();
        EXPECT_EQ(24, s->format->BitsPerPixel) << name;
        EXPECT_EQ(0, s->w & (s->w - 1)) << name << " width " << s->w;
        EXPECT_EQ(0, s->h & (s->h - 1)) << name << " height " << s->h;
        int keyed = 0, nearKey = 0;
        for (int y = 0; y < s->h; y++)
            for (int x = 0; x < s->w; x++) {
                const Uint8* p = (const Uint8*)s->pixels + y * s->pitch + 3 * x;
                Uint8 r, g, b;
                Uint32 v = p[0] | p[1] << 8 | p[2] << 16;
                SDL_GetRGB(v, s->format, &r, &g, &b);
                if (r == 255 && g == 0 && b == 255)
                    keyed++;
                else if (r > 230 && g < 40 && b > 230)
                    nearKey++;
            }
        EXPECT_EQ(0, nearKey) << name << ": near-magenta pixels show as pink specks";
        if (std::string(name) == "starfield.bmp")
            EXPECT_EQ(0, keyed) << name;
        else
            EXPECT_GT(keyed, s->w * s->h / 10) << name << " has no transparent surround";
        // The four corners of every sprite are transparent: nothing is cut off at the edge.
        if (keyed) {
            for (int c = 0; c < 4; c++) {
                const Uint8* p = (const Uint8*)s->pixels + (c / 2) * (s->h - 1) * s->pitch + 3 * (c % 2) * (s->w - 1);
                EXPECT_TRUE(p[0] == 255 && p[1] == 0 && p[2] == 255) << name << " corner " << c;
            }
        }
        SDL_FreeSurface(s);
    }
}
