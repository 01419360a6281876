// test_gl.cpp -- sprites and the cursor in a real OpenGL window (Xvfb, Mesa): colours, orientation,
// transparency, failed loads and the animation's textures, read back from the frame buffer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "game/Cursor.h"
#include "game/Video.h"
#include "objects/World.h"

static bool sixteenBitModeRefused = false;
static std::string dir;

class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // What the game asks for first: 16 bits a channel. No X visual has them.
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
            SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 16);
            SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 16);
            SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 16);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
            sixteenBitModeRefused = SDL_SetVideoMode(1024, 768, 16, SDL_OPENGLBLIT | SDL_DOUBLEBUF) == nullptr;
        }
        ASSERT_EQ(0, startVideo());
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);

        char tmpl[] = "/tmp/driftrock-gl-XXXXXX";
        dir = mkdtemp(tmpl);
        writeBmp24(dir + "/quads.bmp", 64, 64, [](int x, int y) -> Rgb {
            if (y < 32) return x < 32 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
            if (x < 32) return Rgb{0, 0, 255};
            return x < 48 ? Rgb{255, 0, 255} : Rgb{254, 0, 255};  // the key, then a near miss
        });
        writeBmp24(dir + "/red.bmp", 8, 8, [](int, int) { return Rgb{255, 0, 0}; });
        writeBmp24(dir + "/green.bmp", 8, 8, [](int, int) { return Rgb{0, 255, 0}; });
        writeBmp24(dir + "/blue.bmp", 8, 8, [](int, int) { return Rgb{0, 0, 255}; });
        writeBmp8(dir + "/palette.bmp", 48, 16, {{255, 0, 0}, {255, 0, 255}, {0, 0, 255}},
                  [](int x, int) { return x / 16; });
        FILE* empty = fopen((dir + "/empty.bmp").c_str(), "wb");
        fclose(empty);
        mkdir((dir + "/folder.bmp").c_str(), 0755);
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + dir + "'").c_str()); }

    // White everywhere: what an untextured quad (texture 0) draws, and what transparency shows.
    void backdrop()
    {
        glClear(GL_COLOR_BUFFER_BIT);
        drawTexturedQuad(640, 512, 0, 1280, 1024, 0);
    }
    // The colour at a world position after the frame so far.
    Rgb at(float wx, float wy)
    {
        glFinish();
        unsigned char p[4] = {0, 0, 0, 0};
        glReadPixels((int)(wx * 0.8f), 767 - (int)(wy * 0.75f), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return Rgb{p[0], p[1], p[2]};
    }
    std::string file(const char* name) { return dir + "/" + name; }
};

// The window may be 5-6-5: allow a few levels of quantisation.
static ::testing::AssertionResult near(Rgb want, Rgb got)
{
    if (std::abs(want.r - got.r) <= 8 && std::abs(want.g - got.g) <= 8 && std::abs(want.b - got.b) <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "want (" << +want.r << ", " << +want.g << ", " << +want.b
                                         << ") got (" << +got.r << ", " << +got.g << ", " << +got.b << ")";
}

static const Rgb RED{255, 0, 0}, GREEN{0, 255, 0}, BLUE{0, 0, 255}, WHITE{255, 255, 255},
    NEAR_MAGENTA{254, 0, 255};

TEST_F(GlTest, StartsEvenThoughNoVisualHasSixteenBitChannels)
{
    EXPECT_TRUE(sixteenBitModeRefused) << "this server offered 16 bits a channel: the fallback went untried";
    EXPECT_NE(nullptr, SDL_GetVideoSurface());
    int red = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
    EXPECT_GE(red, 5);
}

TEST_F(GlTest, ImageShowsAsInTheFileWithMagentaTransparent)
{
    Sprite s;
    s.load(file("quads.bmp").c_str());
    ASSERT_NE(0u, s.texture);
    EXPECT_EQ(nullptr, s.surface);
    s.x = 640;
    s.y = 512;
    s.w = 512;
    s.h = 512;
    backdrop();
    s.draw();
    EXPECT_TRUE(near(RED, at(512, 384)));
    EXPECT_TRUE(near(GREEN, at(768, 384)));
    EXPECT_TRUE(near(BLUE, at(512, 640)));
    EXPECT_TRUE(near(WHITE, at(704, 640)));         // the exact key: the backdrop shows through
    EXPECT_TRUE(near(NEAR_MAGENTA, at(864, 640)));  // one level off: opaque
    EXPECT_TRUE(near(WHITE, at(300, 512)));         // outside the quad
}

TEST_F(GlTest, AtNinetyDegreesTheTopFacesRight)
{
    Sprite s;
    s.load(file("quads.bmp").c_str());
    s.x = 640;
    s.y = 512;
    s.w = 512;
    s.h = 512;
    s.angle = 90;
    backdrop();
    s.draw();
    EXPECT_TRUE(near(RED, at(768, 384)));
    EXPECT_TRUE(near(GREEN, at(768, 640)));
    EXPECT_TRUE(near(BLUE, at(512, 384)));
    EXPECT_TRUE(near(WHITE, at(576, 560)));
    EXPECT_TRUE(near(NEAR_MAGENTA, at(576, 720)));
}

TEST_F(GlTest, QuadSizeComesFromWidthAndHeightAlone)
{
    Sprite s;
    s.load(file("red.bmp").c_str());  // 8 x 8 pixels
    s.x = 400;
    s.y = 300;
    s.w = 200;
    s.h = 100;
    backdrop();
    s.draw();
    EXPECT_TRUE(near(RED, at(305, 255)));
    EXPECT_TRUE(near(RED, at(495, 345)));
    EXPECT_TRUE(near(WHITE, at(400, 360)));
    EXPECT_TRUE(near(WHITE, at(510, 300)));
}

TEST_F(GlTest, PaletteImageKeysTheEntryNearestMagenta)
{
    Sprite s;
    s.load(file("palette.bmp").c_str());
    ASSERT_NE(0u, s.texture);
    s.x = 640;
    s.y = 512;
    s.w = 960;
    s.h = 320;
    backdrop();
    s.draw();
    EXPECT_TRUE(near(RED, at(320, 512)));
    EXPECT_TRUE(near(WHITE, at(640, 512)));
    EXPECT_TRUE(near(BLUE, at(960, 512)));
}

TEST_F(GlTest, FailedLoadsKeepTheTextureAndStillDraw)
{
    for (const char* bad : {"missing.bmp", "empty.bmp", "folder.bmp"}) {
        Sprite s;
        s.texture = 4321;
        s.load(file(bad).c_str());
        EXPECT_EQ(4321u, s.texture) << bad;
        EXPECT_EQ(nullptr, s.image) << bad;
    }
    Sprite never;  // texture 0: an untextured, white quad
    never.x = 640;
    never.y = 512;
    glClear(GL_COLOR_BUFFER_BIT);
    never.draw();
    EXPECT_TRUE(near(WHITE, at(640, 512)));
    EXPECT_TRUE(near(Rgb{0, 0, 0}, at(700, 512)));
}

TEST_F(GlTest, EveryLoadMakesItsOwnTextureAndCopiesShareIt)
{
    Rock rocks[5];
    for (Rock& r : rocks) r.load(file("green.bmp").c_str());
    for (int i = 0; i < 5; i++) {
        ASSERT_NE(0u, rocks[i].texture);
        for (int j = 0; j < i; j++) EXPECT_NE(rocks[i].texture, rocks[j].texture);
    }
    Rock& original = rocks[0];
    original.x = 300;
    original.y = 300;
    backdrop();
    {
        Rock copy = original;
        copy.x = 900;
        copy.draw();
    }
    original.draw();
    EXPECT_TRUE(near(GREEN, at(900, 300)));
    EXPECT_TRUE(near(GREEN, at(300, 300)));
}

TEST_F(GlTest, UnusualByteOrderIsCopiedIntoPlace)
{
    // Alpha in the first byte, then red, green, blue: a layout no GL format takes directly.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    SDL_Surface* odd = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, 0x0000ff00, 0x00ff0000, 0xff000000, 0x000000ff);
#else
    SDL_Surface* odd = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000);
#endif
    ASSERT_NE(nullptr, odd);
    SDL_FillRect(odd, nullptr, SDL_MapRGBA(odd->format, 255, 0, 0, 255));
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    uploadSurface(odd);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    SDL_FreeSurface(odd);
    backdrop();
    drawTexturedQuad(640, 512, 0, 100, 100, tex);
    EXPECT_TRUE(near(RED, at(640, 512)));
}

TEST_F(GlTest, AnimatedSpriteDrawsTheFrameItStepsTo)
{
    AnimatedSprite a;
    a.delay = 0;
    a.setup(4);
    a.loadFrame(file("red.bmp").c_str(), 0);
    a.loadFrame(file("green.bmp").c_str(), 1);
    a.loadFrame(file("missing.bmp").c_str(), 2);  // stays 0: an untextured quad
    a.loadFrame(file("blue.bmp").c_str(), 3);
    EXPECT_EQ(0u, a.textures[2]);
    EXPECT_EQ(nullptr, a.image);
    a.x = 640;
    a.y = 512;
    a.w = 200;
    a.h = 200;
    const Rgb expected[] = {GREEN, WHITE, BLUE, RED, GREEN};
    for (const Rgb& want : expected) {
        glClear(GL_COLOR_BUFFER_BIT);
        a.draw();
        EXPECT_TRUE(near(want, at(640, 512))) << "frame " << a.frame;
    }
    a.angle = 90;
    glClear(GL_COLOR_BUFFER_BIT);
    a.draw();
    EXPECT_TRUE(near(WHITE, at(640, 512)));
}

TEST_F(GlTest, TheGamesOwnPicturesAllLoad)
{
    char here[4096];
    ASSERT_NE(nullptr, getcwd(here, sizeof here));
    ASSERT_EQ(0, chdir(DRIFTROCK_DATA_DIR));
    auto game = freshGame();
    ASSERT_EQ(0, chdir(here));
    EXPECT_NE(0u, game->starfield.texture);
    EXPECT_NE(0u, game->ship.texture);
    for (const Ball& b : game->balls) EXPECT_NE(0u, b.texture);
    for (const Bullet& b : game->bullets) EXPECT_NE(0u, b.texture);
    for (int i = 0; i < 100; i++) {
        ASSERT_NE(0u, game->rocks[i].texture);
        if (i) {
            EXPECT_NE(game->rocks[i - 1].texture, game->rocks[i].texture);
        }
    }
    for (int i = 0; i < 7; i++) EXPECT_NE(0u, game->cursor.textures[i]);
}

TEST_F(GlTest, CursorFollowsTheRealPointerAndFacesTheShip)
{
    auto game = freshGame();
    SDL_WarpMouse(512, 100);  // straight above the ship on the screen
    for (int i = 0; i < 50 && game->mouseY != 100; i++) {
        SDL_Delay(10);
        runFrame(*game);
    }
    EXPECT_EQ(512, game->mouseX);
    EXPECT_EQ(100, game->mouseY);
    EXPECT_EQ(640.0f, game->cursor.x);
    EXPECT_EQ((float)(100 * 1.33333), game->cursor.y);
    EXPECT_NEAR(-180.0, game->cursor.angle, 0.01);  // heading straight down, at the ship

    SDL_WarpMouse(1023, 767);
    for (int i = 0; i < 50 && game->mouseX != 1023; i++) {
        SDL_Delay(10);
        runFrame(*game);
    }
    EXPECT_EQ(1278.75f, game->cursor.x);
    EXPECT_NEAR(1022.66, game->cursor.y, 0.01);
}
