// test_gl.cpp -- a real OpenGL window (Xvfb, Mesa): every frame's quads against the state it shows, and
// pictures read back from the frame buffer: colours, orientation, transparency, failed loads, the cursor.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "KeyScript.h"
#include "TestSupport.h"
#include "Trace.h"
#include "game/Video.h"

struct Rgb {
    int r, g, b;
};
static const Rgb RED{255, 0, 0}, GREEN{0, 255, 0}, BLUE{0, 0, 255}, WHITE{255, 255, 255};
static const std::string IMAGES = CORPUS_DIR "/";

class Gl : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
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
    // Whether the pixel at a world position is `want`, give or take a 5-6-5 window's steps, or the
    // steps of a picture's own narrower channels (`slack`).
    static ::testing::AssertionResult shows(Rgb want, float wx, float wy, int slack = 8)
    {
        glFinish();
        unsigned char p[4] = {0, 0, 0, 0};
        glReadPixels((int)(wx * 0.8f), 767 - (int)(wy * 0.75f), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        if (std::abs(want.r - p[0]) <= slack && std::abs(want.g - p[1]) <= slack && std::abs(want.b - p[2]) <= slack)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "at (" << wx << ", " << wy << ") want " << want.r << "," << want.g
                                             << "," << want.b << " got " << +p[0] << "," << +p[1] << "," << +p[2];
    }
};

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

TEST_F(Gl, TheCursorFollowsThePointer)
{
    auto game = freshGame();
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

// Every case of tests/images/MANIFEST (broken and hostile files, a missing file, a directory, good
// pictures): a failed load leaves the texture as it was; a good one shows its colours in place, upright
// or turned, keyed where exact magenta; neither holds a surface. (The cursor's loader is the same.)
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
        EXPECT_EQ(nullptr, s.image);
        EXPECT_EQ(nullptr, s.surface);
        bool mayFail = angle == "maybe" && words >> angle;  // one SDL runtime reads it, the other refuses it
        if (!mayFail || s.texture != 4321u) {
            EXPECT_EQ(angle == "fail", s.texture == 4321u);
        }
        if (angle == "fail" || s.texture == 4321u) continue;
        s.x = 640, s.y = 512, s.w = 512, s.h = 512, s.angle = std::stof(angle);
        backdrop();
        s.draw();
        float x, y;
        Rgb c;
        for (std::string probe; words >> probe && sscanf(probe.c_str(), "%f,%f=%d,%d,%d", &x, &y, &c.r, &c.g, &c.b) == 5;)
            EXPECT_TRUE(shows(c, x, y));
    }
    EXPECT_GE(cases, 39);
}

// One drawn quad: centre, size (world units) and angle (degrees).
struct Quad {
    double x, y, w, h, angle;
};
static bool near(const Quad& a, const Quad& b)
{
    return std::fabs(a.x - b.x) < 0.01 && std::fabs(a.y - b.y) < 0.01 && std::fabs(a.w - b.w) < 0.01 &&
           std::fabs(a.h - b.h) < 0.01 && std::fabs(std::remainder(a.angle - b.angle, 360.0)) < 0.01;
}
static void add(std::vector<Quad>& quads, const Quad& q)
{
    if (quads.empty() || !near(quads.back(), q)) quads.push_back(q);  // a quad may come as two triangles
}

// What a frame drew, quad by quad in order, from OpenGL's feedback. A projection three worlds wide
// keeps every quad whole (no clipping); the texture coordinates of a polygon's first three corners
// then fix the quad it belongs to, whatever the triangles it was split into.
static std::vector<Quad> drawnQuads(Game& game)
{
    static std::vector<GLfloat> buf(1 << 20);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-1280, 2560, 2048, -1024, -1, 1);  // window x = (x + 1280) / 3.75, y (up) = 768 - (y + 1024) / 4
    glMatrixMode(GL_MODELVIEW);
    glFeedbackBuffer((GLsizei)buf.size(), GL_3D_COLOR_TEXTURE, buf.data());
    glRenderMode(GL_FEEDBACK);
    runFrame(game);
    GLint n = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    std::vector<Quad> quads;
    for (GLint i = 0; i < n; i += 2 + 11 * (int)buf[i + 1]) {
        if (buf[i] != GL_POLYGON_TOKEN) return ADD_FAILURE() << "not a polygon at " << i, quads;
        const GLfloat* v = &buf[i + 2];  // a corner each 11: x y z, r g b a, s t r q
        auto world = [](const GLfloat* c) { return std::pair<double, double>{c[0] * 3.75 - 1280, (768 - c[1]) * 4 - 1024}; };
        auto [x0, y0] = world(v);
        auto [x1, y1] = world(v + 11);
        auto [x2, y2] = world(v + 22);
        double s0 = v[7], t0 = v[8], ds1 = v[18] - s0, dt1 = v[19] - t0, ds2 = v[29] - s0, dt2 = v[30] - t0;
        double det = ds1 * dt2 - ds2 * dt1;
        double ux = ((x1 - x0) * dt2 - (x2 - x0) * dt1) / det, uy = ((y1 - y0) * dt2 - (y2 - y0) * dt1) / det;  // the width
        double vx = ((x2 - x0) * ds1 - (x1 - x0) * ds2) / det, vy = ((y2 - y0) * ds1 - (y1 - y0) * ds2) / det;  // the height
        add(quads, {x0 + (0.5 - s0) * ux + (0.5 - t0) * vx, y0 + (0.5 - s0) * uy + (0.5 - t0) * vy, std::hypot(ux, uy),
                    std::hypot(vx, vy), std::atan2(uy, ux) * 180 / M_PI});
    }
    return quads;
}

// What the state says a frame shows, back to front.
static std::vector<Quad> liveQuads(const Game& g)
{
    std::vector<Quad> quads;
    auto put = [&quads](const auto& s, bool alive = true) {
        if (alive) add(quads, {s.x, s.y, s.w, s.h, s.angle});
    };
    put(g.starfield);
    put(g.ship);
    for (const Ball& b : g.balls) put(b, b.alive);
    for (const Bullet& b : g.bullets) put(b, b.alive);
    for (const Rock& r : g.rocks) put(r, r.alive);
    put(g.cursor);
    return quads;
}
static std::ostream& operator<<(std::ostream& out, const Quad& q)
{
    return out << q.w << " x " << q.h << " at (" << q.x << ", " << q.y << ") turned " << q.angle;
}

// Every frame of two sessions: each live object drawn, once, at its place, size and angle, in the
// frame's order; the backdrop upright over the world, the cursor 32 units square. (The golden traces
// hold each object's size by the rules.) Frames where a bullet strikes are left out: a
// struck rock shrinks after its draw.
TEST_F(Gl, EachFrameDrawsEveryLiveObjectInPlaceInOrder)
{
    auto rockSizes = [](const Game& g) {
        std::vector<float> sizes;
        for (const Rock& r : g.rocks) sizes.push_back(r.alive ? r.w : 0);
        return sizes;
    };
    int checked = 0;
    for (const char* session : {"thrust_turn", "firing"}) {
        auto game = freshGame();
        for (unsigned keys : sessionKeys(session)) {
            std::vector<float> sizes = rockSizes(*game);
            holdKeySet(keys);
            std::vector<Quad> drawn = drawnQuads(*game), want = liveQuads(*game);
            if (sizes != rockSizes(*game)) continue;
            checked++;
            ASSERT_TRUE(near({640, 640, 1280, 1280, 0}, drawn[0])) << drawn[0];
            ASSERT_TRUE(std::fabs(drawn.back().w - 32) + std::fabs(drawn.back().h - 32) < 0.01) << drawn.back();
            ASSERT_EQ(want.size(), drawn.size()) << session << ", the frame after " << checked;
            for (size_t q = 0; q < want.size(); q++)
                ASSERT_TRUE(near(want[q], drawn[q])) << session << " quad " << q << ": " << want[q] << ", drew " << drawn[q];
        }
    }
    holdKeySet(0);
    EXPECT_GT(checked, 400);
}

// Full screen on the test's 1280 x 1024 screen, taller than 4:3 (the picture 1280 x 960 between bars of
// 32): the pointer taken back onto the picture and held at its edges over the bars. A session played across
// switches (F11, Alt+Enter) steps to the same bits as without them, but for the pointer, which is the
// player's (classic SDL puts it at the screen's centre); the last switch gives the window back.
TEST_F(Gl, FullScreenShowsTheWholePictureAndLeavesTheGameAsItWas)
{
    auto withoutPointer = [](std::string line) {  // mouseX, mouseY, and the cursor's place and angle
        size_t from = line.find(" mouseX="), to = line.find(" frame=", from);
        return line.replace(from, to - from, " | cursor");
    };
    std::vector<std::string> trace[2];
    SDL_Delay(100), SDL_PumpEvents();  // the window's first focus, which takes the X server's keys
    char here[4096];
    ASSERT_TRUE(getcwd(here, sizeof here) && chdir(DRIFTROCK_DATA_DIR) == 0);  // among the game's pictures
    for (int switching = 0; switching < 2; switching++) {
        auto game = freshGame();
        std::vector<unsigned> keys = sessionKeys("thrust_turn");
        for (size_t f = 0; f < keys.size(); f++) {
            SDL_Event press{SDL_KEYDOWN};
            press.key.keysym = {0, f % 80 ? SDLK_F11 : SDLK_RETURN, f % 80 ? KMOD_NONE : KMOD_LALT, 0};
            if (switching && f % 40 == 0 && f < 160) SDL_PushEvent(&press);
            // The focus moves with a switch, and classic SDL lets go of every key until the X server's
            // keymap says again what is held: the stand-in keys are held after that.
            if (switching && f % 40 == 1) SDL_PumpEvents();
            holdKeySet(keys[f]);
            runFrame(*game);
            trace[switching].push_back(withoutPointer(traceLine(*game, f, keys[f])));
            if (!switching || f) continue;
            const int places[][4] = {{0, 0, 0, 0},     {1279, 1023, 1023, 767}, {640, 33, 512, 0}, {640, 34, 512, 1},
                                     {640, 992, 512, 767}, {1, 512, 0, 384},    {2, 512, 1, 384},  {640, 512, 512, 384}};
            for (auto& p : places) {
                int x = p[0], y = p[1];
                pointerOnPicture(x, y);
                EXPECT_TRUE(x == p[2] && y == p[3]) << p[0] << ", " << p[1] << " gave " << x << ", " << y;
            }
        }
        // Every picture loaded, each its own, in the context that holds them now (classic SDL makes a new one
        // at each switch): a name left over from the old one would be an empty texture, made by binding it.
        auto filled = [](GLuint name) {
            GLint width = 0;
            glBindTexture(GL_TEXTURE_2D, name);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            return width > 0;
        };
        std::set<GLuint> names(game->cursor.textures, game->cursor.textures + 7);
        for (int i = 0; i < 100; i++) names.insert({game->balls[i % 20].texture, game->bullets[i % 10].texture, game->rocks[i].texture});
        names.insert({game->ship.texture, game->starfield.texture});
        EXPECT_TRUE(names.size() == 139 && std::all_of(names.begin(), names.end(), filled)) << names.size();
    }
    ASSERT_EQ(0, chdir(here));
    for (size_t f = 0; f < trace[0].size(); f++) ASSERT_EQ("", traceDifference(trace[0][f], trace[1][f]));
}
