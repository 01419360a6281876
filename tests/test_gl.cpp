// test_gl.cpp -- a real OpenGL window (Xvfb, Mesa): every frame's quads against the state it shows, and
// pictures read back from the frame buffer: colours, orientation, transparency, failed loads, the cursor.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "KeyScript.h"
#include "TestSupport.h"
#include "game/Video.h"

struct Rgb {
    int r, g, b;
};
static const Rgb RED{255, 0, 0}, GREEN{0, 255, 0}, BLUE{0, 0, 255}, WHITE{255, 255, 255};
static const std::string IMAGES = CORPUS_DIR "/";
static bool sixteenBitModeRefused = false;

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
        return ::testing::AssertionFailure() << "at (" << wx << ", " << wy << ") want " << want.r << "," << want.g
                                             << "," << want.b << " got " << +p[0] << "," << +p[1] << "," << +p[2];
    }
};

TEST_F(Gl, StartsEvenThoughNoVisualHasSixteenBitChannels)
{
    EXPECT_TRUE(sixteenBitModeRefused) << "this server has 16-bit channels: the second request went untried";
    EXPECT_NE(nullptr, SDL_GetVideoSurface());
}

TEST_F(Gl, UnusualLayoutsAreCopiedIntoPlace)
{
    // Alpha in the first byte, then red, green, blue: no GL format takes it as it lies. Then a red
    // channel of four bits, though the other channels sit as in R, G, B, A bytes.
    Uint32 masks[][4] = {{0x0000ff00, 0x00ff0000, 0xff000000, 0x000000ff}, {0x0000000f, 0x0000ff00, 0x00ff0000, 0xff000000}};
    int red[] = {255, 240};  // four bits of red widen to 0xf0
    for (int i = 0; i < 2; i++) {
        Uint32* m = masks[i];
        if (SDL_BYTEORDER == SDL_BIG_ENDIAN)
            for (int c = 0; c < 4; c++) m[c] = SDL_Swap32(m[c]);
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
        EXPECT_TRUE(shows(Rgb{red[i], 0, 0}, 640, 512)) << "layout " << i;
    }
}

// Frames red, green, (missing: untextured), blue, a draw each: forwards; backwards, from frame 0 to the
// last; a step past the end goes to 0, not to a remainder; stopped, it stays; started, forwards by one.
TEST_F(Gl, AnimatedSpriteDrawsTheFrameItStepsTo)
{
    AnimatedSprite a;
    a.delay = 0;
    a.setup(4);
    const char* files[] = {"red.bmp", "green.bmp", "missing.bmp", "blue.bmp"};
    for (int i = 0; i < 4; i++) a.loadFrame((IMAGES + files[i]).c_str(), i);
    a.x = 640, a.y = 512, a.w = 200, a.h = 200;
    struct {
        int step;
        char call;  // 's': stopped before the draw; 'g': started again
        Rgb shows;
    } draws[] = {{1, 0, GREEN}, {1, 0, WHITE}, {1, 0, BLUE}, {1, 0, RED},  {-1, 0, BLUE}, {-1, 0, WHITE},
                 {-1, 0, GREEN}, {-1, 0, RED}, {-1, 0, BLUE}, {3, 0, RED}, {1, 's', RED}, {-1, 'g', GREEN}};
    for (auto& d : draws) {
        a.step = d.step;
        if (d.call == 's') a.animating = false;
        if (d.call == 'g') a.start();
        glClear(GL_COLOR_BUFFER_BIT);
        a.draw();
        EXPECT_TRUE(shows(d.shows, 640, 512)) << "frame " << a.frame << " after a step of " << d.step;
    }
}

TEST_F(Gl, TheGamesPicturesAllLoadAndTheCursorFollowsThePointer)
{
    char here[4096];
    ASSERT_TRUE(getcwd(here, sizeof here) && chdir(DRIFTROCK_DATA_DIR) == 0);
    auto game = freshGame();
    ASSERT_EQ(0, chdir(here));
    for (const Sprite* s : {&game->starfield, (Sprite*)&game->ship, (Sprite*)&game->balls[19], (Sprite*)&game->bullets[9]})
        EXPECT_NE(0u, s->texture);
    for (int i = 1; i < 100; i++) ASSERT_NE(game->rocks[i - 1].texture, game->rocks[i].texture);  // a load each
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

// Every case of tests/images/MANIFEST (broken and hostile files, a missing file, a dangling link, a
// directory, good pictures) through both loaders: a failed load leaves the texture as it was; a good
// one shows its colours in place, upright or turned, keyed where exact magenta; neither holds a surface.
TEST_F(Gl, PicturesShowAsInTheirFilesOrFailCleanly)
{
    std::ifstream manifest(IMAGES + "MANIFEST");
    int cases = 0;
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream words(line);
        std::string name, angle;
        if (line[0] == '#' || !(words >> name >> angle)) continue;
        SCOPED_TRACE(line);
        cases++;
        Sprite s;
        s.texture = 4321;
        s.load((IMAGES + name).c_str());
        AnimatedSprite a;
        a.setup(1);
        a.textures[0] = 4321;
        a.loadFrame((IMAGES + name).c_str(), 0);
        EXPECT_EQ(nullptr, s.image);
        EXPECT_EQ(nullptr, a.image);
        EXPECT_EQ(nullptr, a.surface);
        EXPECT_EQ(angle == "fail", s.texture == 4321u);
        EXPECT_EQ(angle == "fail", a.textures[0] == 4321u);
        if (angle == "fail") continue;
        s.x = a.x = 640, s.y = a.y = 512, s.w = a.w = 512, s.h = a.h = 512, s.angle = a.angle = std::stof(angle);
        std::vector<std::pair<float, float>> at;
        std::vector<Rgb> want;
        float x, y;
        Rgb c;
        for (std::string probe; words >> probe && sscanf(probe.c_str(), "%f,%f=%d,%d,%d", &x, &y, &c.r, &c.g, &c.b) == 5;)
            at.push_back({x, y}), want.push_back(c);
        ASSERT_FALSE(want.empty());
        for (bool animated : {false, true}) {
            backdrop();
            animated ? a.draw() : s.draw();
            for (size_t i = 0; i < want.size(); i++) EXPECT_TRUE(shows(want[i], at[i].first, at[i].second)) << animated;
        }
    }
    EXPECT_GE(cases, 35);
}

// One drawn quad, in world units and degrees; `span` is how much of its picture the polygon it was
// measured from covers (a sliver left by clipping measures it least well).
struct Quad {
    double x, y, w, h, angle, span;
};
static bool near(const Quad& a, const Quad& b, double by)
{
    return std::fabs(a.x - b.x) < by && std::fabs(a.y - b.y) < by && std::fabs(a.w - b.w) < by &&
           std::fabs(a.h - b.h) < by && std::fabs(std::remainder(a.angle - b.angle, 360.0)) < by;
}
// One quad may come as several polygons: consecutive ones of the same place count once, measured by
// the widest.
static void add(std::vector<Quad>& quads, const Quad& q)
{
    if (quads.empty() || !near(quads.back(), q, 0.5))
        quads.push_back(q);
    else if (q.span > quads.back().span)
        quads.back() = q;
}

// What a frame drew, from OpenGL's feedback of its polygons in order: the texture coordinates of any
// three corners of a polygon fix the whole quad it came from, however it was clipped or split.
static std::vector<Quad> drawnQuads(Game& game)
{
    static std::vector<GLfloat> buf(1 << 20);
    glFeedbackBuffer((GLsizei)buf.size(), GL_3D_COLOR_TEXTURE, buf.data());
    glRenderMode(GL_FEEDBACK);
    runFrame(game);
    GLint n = glRenderMode(GL_RENDER);
    std::vector<Quad> quads;
    for (GLint i = 0; i < n;) {
        if (buf[i++] != GL_POLYGON_TOKEN) return ADD_FAILURE() << "not a polygon at " << i, quads;
        int corners = (int)buf[i++];
        const GLfloat* v = &buf[i];  // x y z, r g b a, s t r q: window pixels, y up
        i += corners * 11;
        // The first corner and the two of the fan that span the most texture: clipping leaves slivers.
        double x0 = v[0], y0 = v[1], s0 = v[7], t0 = v[8], dx1 = 0, dy1 = 0, ds1 = 0, dt1 = 0, dx2 = 0, dy2 = 0,
               ds2 = 0, dt2 = 0, det = 0;
        for (int k = 1; k + 1 < corners; k++) {
            const GLfloat *a = v + 11 * k, *b = a + 11;
            double d = (a[7] - s0) * (b[8] - t0) - (b[7] - s0) * (a[8] - t0);
            if (std::fabs(d) > std::fabs(det))
                det = d, dx1 = a[0] - x0, dy1 = a[1] - y0, ds1 = a[7] - s0, dt1 = a[8] - t0, dx2 = b[0] - x0,
                dy2 = b[1] - y0, ds2 = b[7] - s0, dt2 = b[8] - t0;
        }
        if (std::fabs(det) < 1e-3) continue;  // too thin to measure; every object shows a quarter at least
        double ux = (dx1 * dt2 - dx2 * dt1) / det, uy = (dy1 * dt2 - dy2 * dt1) / det;  // along the picture's width
        double vx = (dx2 * ds1 - dx1 * ds2) / det, vy = (dy2 * ds1 - dy1 * ds2) / det;  // down its height
        double cx = x0 + (0.5 - s0) * ux + (0.5 - t0) * vx, cy = y0 + (0.5 - s0) * uy + (0.5 - t0) * vy;
        add(quads, {cx / 0.8, (768 - cy) / 0.75, std::hypot(ux / 0.8, uy / 0.75), std::hypot(vx / 0.8, vy / 0.75),
                    std::atan2(-uy / 0.75, ux / 0.8) * 180 / M_PI, std::fabs(det)});
    }
    return quads;
}

// What the state says a frame shows, back to front.
static std::vector<Quad> liveQuads(const Game& g)
{
    std::vector<Quad> quads;
    auto put = [&quads](const auto& s) { add(quads, {s.x, s.y, s.w, s.h, s.angle, 1}); };
    put(g.starfield);
    put(g.ship);
    for (const Ball& b : g.balls)
        if (b.alive) put(b);
    for (const Bullet& b : g.bullets)
        if (b.alive) put(b);
    for (const Rock& r : g.rocks)
        if (r.alive) put(r);
    put(g.cursor);
    return quads;
}

// Every frame of two sessions: each live object drawn, once, at its place, size and angle, in the
// frame's order. Frames where a bullet strikes are left out: a struck rock shrinks after its draw.
TEST_F(Gl, EachFrameDrawsEveryLiveObjectInPlaceInOrder)
{
    int checked = 0;
    for (const char* session : {"thrust_turn", "firing"}) {
        std::vector<unsigned> frames = sessionKeys(session);
        auto game = freshGame();
        for (size_t f = 0; f < frames.size(); f++) {
            float sizes[100];
            for (int r = 0; r < 100; r++) sizes[r] = game->rocks[r].alive ? game->rocks[r].w : 0;
            holdKeySet(frames[f]);
            std::vector<Quad> drawn = drawnQuads(*game), want = liveQuads(*game);
            bool struck = false;
            for (int r = 0; r < 100; r++) struck |= sizes[r] != (game->rocks[r].alive ? game->rocks[r].w : 0);
            if (struck) continue;
            checked++;
            ASSERT_TRUE(near({640, 640, 1280, 1280, 0, 1}, drawn[0], 0.01)) << "the backdrop: upright, over the world";
            ASSERT_EQ(want.size(), drawn.size()) << session << " frame " << f + 1;
            for (size_t q = 0; q < want.size(); q++)
                ASSERT_TRUE(near(want[q], drawn[q], 0.01))
                    << session << " frame " << f + 1 << " quad " << q << ": want " << want[q].x << "," << want[q].y
                    << " " << want[q].w << "x" << want[q].h << " at " << want[q].angle << ", drew " << drawn[q].x
                    << "," << drawn[q].y << " " << drawn[q].w << "x" << drawn[q].h << " at " << drawn[q].angle;
        }
    }
    holdKeys("");
    EXPECT_GT(checked, 400);
}
