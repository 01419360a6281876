// test_gl.cpp -- pictures in a real OpenGL window (Xvfb, Mesa) read back from the frame buffer:
// colours, orientation, transparency, failed loads, the animated cursor and the pointer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "game/Video.h"

static bool sixteenBitModeRefused = false;
static std::string dir;

static const Rgb RED{255, 0, 0}, GREEN{0, 255, 0}, BLUE{0, 0, 255}, WHITE{255, 255, 255},
    NEAR_MAGENTA{254, 0, 255};

class Gl : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        // What the game asks for first, 16 bits a channel, no X visual offers.
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
            for (SDL_GLattr a : {SDL_GL_RED_SIZE, SDL_GL_GREEN_SIZE, SDL_GL_BLUE_SIZE, SDL_GL_DEPTH_SIZE})
                SDL_GL_SetAttribute(a, 16);
            sixteenBitModeRefused = !SDL_SetVideoMode(1024, 768, 16, SDL_OPENGLBLIT | SDL_DOUBLEBUF);
        }
        ASSERT_EQ(0, startVideo());
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        char tmpl[] = "/tmp/driftrock-gl-XXXXXX";
        dir = mkdtemp(tmpl);
        writeBmp(dir + "/quads.bmp", 64, 64, [](int x, int y) {
            if (y < 32) return x < 32 ? RED : GREEN;
            return x < 32 ? BLUE : x < 48 ? Rgb{255, 0, 255} : NEAR_MAGENTA;  // the key, then a near miss
        });
        writeBmp(dir + "/red.bmp", 8, 8, [](int, int) { return RED; });
        writeBmp(dir + "/green.bmp", 8, 8, [](int, int) { return GREEN; });
        writeBmp(dir + "/blue.bmp", 8, 8, [](int, int) { return BLUE; });
        writeBmp(dir + "/palette.bmp", 48, 16, [](int x, int) { return Rgb{(uint8_t)(x / 16), 0, 0}; },
                 {RED, {255, 0, 255}, BLUE});
        fclose(fopen((dir + "/empty.bmp").c_str(), "wb"));
        mkdir((dir + "/folder.bmp").c_str(), 0755);
    }
    static void TearDownTestSuite() { EXPECT_EQ(0, std::system(("rm -rf '" + dir + "'").c_str())); }

    static Sprite sprite(const char* name, float x, float y, float w, float h, float angle = 0)
    {
        Sprite s;
        s.load((dir + "/" + name).c_str());
        s.x = x, s.y = y, s.w = w, s.h = h, s.angle = angle;
        return s;
    }
    // White over the whole window: an untextured quad (texture 0), and what transparency shows.
    static void backdrop()
    {
        glClear(GL_COLOR_BUFFER_BIT);
        drawTexturedQuad(640, 512, 0, 1280, 1024, 0);
    }
    // Whether the pixel at a world position is `want`, give or take a 5-6-5 window's steps.
    static ::testing::AssertionResult shows(Rgb want, float wx, float wy)
    {
        glFinish();
        unsigned char p[4] = {0, 0, 0, 0};
        glReadPixels((int)(wx * 0.8f), 767 - (int)(wy * 0.75f), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        if (std::abs(want.r - p[0]) <= 8 && std::abs(want.g - p[1]) <= 8 && std::abs(want.b - p[2]) <= 8)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "at (" << wx << ", " << wy << ") want " << +want.r << ","
                                             << +want.g << "," << +want.b << " got " << +p[0] << "," << +p[1]
                                             << "," << +p[2];
    }
};

TEST_F(Gl, StartsEvenThoughNoVisualHasSixteenBitChannels)
{
    EXPECT_TRUE(sixteenBitModeRefused) << "this server has 16-bit channels: the second request went untried";
    EXPECT_NE(nullptr, SDL_GetVideoSurface());
}

// The four-colour picture drawn 512 units wide at the world's centre, upright and turned by 90
// degrees (its top then faces +x): colours in place, the exact key transparent, a near miss opaque.
template <class Drawable> static void checkQuadsPicture(Drawable& d)
{
    d.x = 640, d.y = 512, d.w = 512, d.h = 512, d.angle = 0;
    Gl::backdrop();
    d.draw();
    EXPECT_TRUE(Gl::shows(RED, 512, 384));
    EXPECT_TRUE(Gl::shows(GREEN, 768, 384));
    EXPECT_TRUE(Gl::shows(BLUE, 512, 640));
    EXPECT_TRUE(Gl::shows(WHITE, 704, 640));  // the exact key: the backdrop shows through
    EXPECT_TRUE(Gl::shows(NEAR_MAGENTA, 864, 640));
    EXPECT_TRUE(Gl::shows(WHITE, 300, 512));
    d.angle = 90;
    Gl::backdrop();
    d.draw();
    EXPECT_TRUE(Gl::shows(RED, 768, 384));
    EXPECT_TRUE(Gl::shows(GREEN, 768, 640));
    EXPECT_TRUE(Gl::shows(BLUE, 512, 384));
    EXPECT_TRUE(Gl::shows(WHITE, 576, 560));
    EXPECT_TRUE(Gl::shows(NEAR_MAGENTA, 576, 720));
}

TEST_F(Gl, PictureShowsAsInTheFileTurnsClockwiseAndKeysExactMagenta)
{
    Sprite s = sprite("quads.bmp", 0, 0, 0, 0);
    ASSERT_NE(0u, s.texture);
    checkQuadsPicture(s);
    AnimatedSprite a;
    a.setup(1);
    a.loadFrame((dir + "/quads.bmp").c_str(), 0);
    ASSERT_NE(0u, a.textures[0]);
    checkQuadsPicture(a);
}

TEST_F(Gl, SizeComesFromTheQuadAndPalettesKeyTheirMagentaEntry)
{
    backdrop();
    sprite("red.bmp", 400, 300, 200, 100).draw();
    EXPECT_TRUE(shows(RED, 305, 255));
    EXPECT_TRUE(shows(RED, 495, 345));
    EXPECT_TRUE(shows(WHITE, 400, 360));
    sprite("palette.bmp", 640, 700, 960, 320).draw();
    EXPECT_TRUE(shows(RED, 320, 700));
    EXPECT_TRUE(shows(WHITE, 640, 700));
    EXPECT_TRUE(shows(BLUE, 960, 700));
}

TEST_F(Gl, FailedLoadsKeepTheTextureAndEveryLoadMakesItsOwn)
{
    for (const char* bad : {"missing.bmp", "empty.bmp", "folder.bmp"}) {
        Sprite s;
        s.texture = 4321;
        s.load((dir + "/" + bad).c_str());
        EXPECT_EQ(4321u, s.texture) << bad;
    }
    Sprite a = sprite("green.bmp", 300, 300, 64, 64), b = sprite("green.bmp", 0, 0, 64, 64);
    EXPECT_NE(a.texture, b.texture);
    backdrop();
    {
        Sprite copy = a;  // shares the texture; going away releases nothing
        copy.x = 900;
        copy.draw();
    }
    a.draw();
    EXPECT_TRUE(shows(GREEN, 900, 300));
    EXPECT_TRUE(shows(GREEN, 300, 300));
}

TEST_F(Gl, UnusualByteOrderIsCopiedIntoPlace)
{
    // Alpha in the first byte, then red, green, blue: no GL format takes it as it lies.
    Uint32 m[4] = {0x0000ff00, 0x00ff0000, 0xff000000, 0x000000ff};
    if (SDL_BYTEORDER == SDL_BIG_ENDIAN) m[0] = 0x00ff0000, m[1] = 0x0000ff00, m[2] = 0xff, m[3] = 0xff000000;
    SDL_Surface* odd = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, m[0], m[1], m[2], m[3]);
    SDL_FillRect(odd, nullptr, SDL_MapRGBA(odd->format, 255, 0, 0, 255));
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    uploadSurface(odd);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    SDL_FreeSurface(odd);
    backdrop();
    drawTexturedQuad(640, 512, 0, 100, 100, tex);
    EXPECT_TRUE(shows(RED, 640, 512));
}

TEST_F(Gl, AnimatedSpriteDrawsTheFrameItStepsTo)
{
    AnimatedSprite a;
    a.delay = 0;
    a.setup(4);
    const char* files[] = {"red.bmp", "green.bmp", "missing.bmp", "blue.bmp"};
    for (int i = 0; i < 4; i++) a.loadFrame((dir + "/" + files[i]).c_str(), i);
    EXPECT_EQ(0u, a.textures[2]);  // a missing frame draws untextured
    a.x = 640, a.y = 512, a.w = 200, a.h = 200;
    for (const Rgb& want : {GREEN, WHITE, BLUE, RED}) {
        glClear(GL_COLOR_BUFFER_BIT);
        a.draw();
        EXPECT_TRUE(shows(want, 640, 512)) << "frame " << a.frame;
    }
}

TEST_F(Gl, TheGamesPicturesAllLoadAndTheCursorFollowsThePointer)
{
    char here[4096];
    ASSERT_TRUE(getcwd(here, sizeof here) && chdir(DRIFTROCK_DATA_DIR) == 0);
    auto game = freshGame();
    ASSERT_EQ(0, chdir(here));
    EXPECT_NE(0u, game->starfield.texture);
    EXPECT_NE(0u, game->ship.texture);
    EXPECT_NE(0u, game->balls[19].texture);
    EXPECT_NE(0u, game->bullets[9].texture);
    for (int i = 1; i < 100; i++) ASSERT_NE(game->rocks[i - 1].texture, game->rocks[i].texture);
    for (int i = 0; i < 7; i++) EXPECT_NE(0u, game->cursor.textures[i]);

    SDL_WarpMouse(512, 100);  // straight above the ship on the screen
    for (int i = 0; i < 50 && game->mouseY != 100; i++) SDL_Delay(10), runFrame(*game);
    EXPECT_EQ(640.0f, game->cursor.x);
    EXPECT_EQ((float)(100 * 1.33333), game->cursor.y);
    EXPECT_NEAR(-180.0, game->cursor.angle, 0.01);  // heading down the screen, at the ship
    SDL_WarpMouse(1023, 767);
    for (int i = 0; i < 50 && game->mouseX != 1023; i++) SDL_Delay(10), runFrame(*game);
    EXPECT_EQ(1278.75f, game->cursor.x);
    EXPECT_NEAR(1022.66, game->cursor.y, 0.01);
}

// Every file of the hostile corpus, a directory and a dangling symlink, through both loaders: a failed
// load leaves the texture as it was and holds no surface; a good one shows the right colours.
TEST_F(Gl, HostileImagesFailCleanlyOrShowTheirColours)
{
    std::ifstream manifest(CORPUS_DIR "/MANIFEST");
    std::vector<std::pair<std::string, std::string>> cases;
    for (std::string name, rest; manifest >> name && std::getline(manifest, rest);)
        cases.push_back({std::string(CORPUS_DIR) + "/" + name, rest});
    ASSERT_GT(cases.size(), 20u);
    ASSERT_EQ(0, symlink("/nonexistent/driftrock.bmp", (dir + "/dangling.bmp").c_str()));
    cases.push_back({dir + "/dangling.bmp", " fail"});
    cases.push_back({dir + "/folder.bmp", " fail"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        bool fails = c.second == " fail";
        Sprite s;
        s.texture = 4321;
        s.load(c.first.c_str());
        AnimatedSprite a;
        a.setup(1);
        a.textures[0] = 4321;
        a.loadFrame(c.first.c_str(), 0);
        EXPECT_EQ(nullptr, s.image);
        EXPECT_EQ(nullptr, a.image);
        EXPECT_EQ(nullptr, a.surface);
        EXPECT_EQ(fails, s.texture == 4321u);
        EXPECT_EQ(fails, a.textures[0] == 4321u);
        if (fails) continue;
        int tr, tg, tb, br, bg, bb;
        ASSERT_EQ(6, sscanf(c.second.c_str(), " top %d,%d,%d bottom %d,%d,%d", &tr, &tg, &tb, &br, &bg, &bb));
        s.x = a.x = 640, s.y = a.y = 512, s.w = a.w = 512, s.h = a.h = 512;
        backdrop();
        s.draw();
        EXPECT_TRUE(shows(Rgb{(uint8_t)tr, (uint8_t)tg, (uint8_t)tb}, 512, 384));
        EXPECT_TRUE(shows(Rgb{(uint8_t)br, (uint8_t)bg, (uint8_t)bb}, 512, 640));
        backdrop();
        a.draw();
        EXPECT_TRUE(shows(Rgb{(uint8_t)tr, (uint8_t)tg, (uint8_t)tb}, 512, 384));
    }
}
