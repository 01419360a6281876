// test_frame.cpp -- whole frames through runFrame: quitting, the fire latch, exhaust emission, the
// cursor's aim and animation timing, and the same keys giving the same bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "objects/World.h"

TEST(Quit, EventsEndTheLoopOnlyAfterTheWholeFrame)
{
    ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError();  // the dummy driver: a real event queue
    auto game = freshGame();

    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_KEYUP;
    e.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&e);
    SDL_GetKeyState(nullptr)[SDLK_ESCAPE] = 1;  // held, but no new key-down
    runFrame(*game);
    EXPECT_EQ(0, game->done);
    SDL_GetKeyState(nullptr)[SDLK_ESCAPE] = 0;

    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&e);
    runFrame(*game);
    EXPECT_EQ(0, game->done);

    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEMOTION;
    SDL_PushEvent(&e);
    int waveBefore = game->wave;
    float rockX = game->rocks[0].x;
    runFrame(*game);
    EXPECT_EQ(1, game->done);
    EXPECT_EQ(0, SDL_PollEvent(&e)) << "the queue is drained even after done is set";
    EXPECT_EQ(waveBefore, game->wave);
    EXPECT_NE(rockX, game->rocks[0].x) << "the rest of the frame still ran";
    SDL_Quit();
}

TEST(Frame, WaveOneArrivesAtTheEndOfTheFirstFrame)
{
    auto game = freshGame();
    runFrame(*game);
    EXPECT_EQ(2, game->wave);
    EXPECT_TRUE(game->rocks[0].alive);
    EXPECT_EQ(1280.0f, game->rocks[0].x);
    EXPECT_EQ(0.0f, game->rocks[0].y);
    EXPECT_EQ(3, drawsSince(1));
}

TEST(Firing, NothingLeavesBeforeTheThirdFrameAndTheLatchHolds)
{
    auto game = freshGame();
    runFrames(*game, 1, "S");
    for (const Bullet& b : game->bullets) EXPECT_TRUE(b.alive);
    EXPECT_TRUE(game->spacebar);
    runFrames(*game, 4, "S");  // bullets go out in frame 2, but the press was spent
    for (const Bullet& b : game->bullets) EXPECT_FALSE(b.alive);

    runFrames(*game, 1, "");
    EXPECT_FALSE(game->spacebar);
    float shipX = game->ship.x, shipY = game->ship.y;
    runFrames(*game, 1, "S");
    const Bullet& b = game->bullets[0];
    ASSERT_TRUE(b.alive);
    EXPECT_EQ(100 - 1, b.life);  // fired and moved once in the same frame
    EXPECT_EQ(shipX, b.x);
    EXPECT_EQ(shipY - 15 - 15, b.y);
    for (int i = 1; i < 10; i++) EXPECT_FALSE(game->bullets[i].alive);
}

TEST(Firing, EachPressFiresTheLowestFreeBulletAndAFullRackSpendsThePress)
{
    auto game = freshGame();
    runFrames(*game, 2);
    for (int i = 0; i < 10; i++) {
        runFrames(*game, 3, "S");  // held: one bullet only
        runFrames(*game, 1, "");
        int live = 0;
        for (const Bullet& b : game->bullets) live += b.alive;
        EXPECT_EQ(i + 1, live);
    }
    game->bullets[3].alive = false;
    game->bullets[7].alive = false;
    runFrames(*game, 1, "S");
    EXPECT_TRUE(game->bullets[3].alive);
    EXPECT_FALSE(game->bullets[7].alive);

    // All ten in flight: a press fires nothing, and holding on fires nothing when one comes free.
    game->bullets[7].fire(game->ship, 0);
    runFrames(*game, 1, "");
    runFrames(*game, 1, "S");
    game->bullets[5].alive = false;
    runFrames(*game, 5, "S");
    EXPECT_FALSE(game->bullets[5].alive);
    runFrames(*game, 1, "");
    runFrames(*game, 1, "S");
    EXPECT_TRUE(game->bullets[5].alive);
}

TEST(Exhaust, EverySecondUpFrameOverTheWholeRunIntoTheNextSlot)
{
    auto game = freshGame();
    runFrames(*game, 1, "U");
    for (const Ball& b : game->balls) EXPECT_FALSE(b.alive);
    runFrames(*game, 1, "U");
    EXPECT_TRUE(game->balls[1].alive);
    EXPECT_EQ(1, game->nextBall);
    // A one-frame tap, a release, another tap: the toggle keeps its phase, so only the second emits.
    runFrames(*game, 1, "");
    runFrames(*game, 1, "U");
    EXPECT_FALSE(game->balls[2].alive);
    runFrames(*game, 1, "");
    runFrames(*game, 1, "U");
    EXPECT_TRUE(game->balls[2].alive);
    for (int i = 0; i < 40; i++) runFrames(*game, 1, "U");
    EXPECT_EQ(2, game->nextBall);  // 22 emissions: slots 1 ... 19, 0, 1, 2
}

TEST(Exhaust, JitterDrawsInOrderAndTheBallStartsOneStepBehind)
{
    auto game = freshGame();
    runFrames(*game, 1, "U");
    float shipX = game->ship.x, shipY = game->ship.y, angle = game->ship.angle;
    holdKeys("U");
    int draws[4];
    srand15(seedFor(31000));
    for (int& d : draws) d = rand15();
    // Distinct quotients, so a swapped pair of draws would show.
    ASSERT_NE(draws[0] / 10000, draws[1] / 10000);
    ASSERT_NE(draws[2] / 10000, draws[3] / 10000);
    ASSERT_NE(draws[0] / 10000 - draws[1] / 10000, draws[2] / 10000 - draws[3] / 10000);
    srand15(seedFor(31000));
    runFrame(*game);
    const Ball& b = game->balls[1];
    double vx = std::sin(angle * DEG_TO_RAD) * -10.0 + draws[0] / 10000 - draws[1] / 10000;
    double vy = std::cos(angle * DEG_TO_RAD) * 10.0 + draws[2] / 10000 - draws[3] / 10000;
    EXPECT_EQ((float)vx, b.vx);
    EXPECT_EQ((float)vy, b.vy);
    EXPECT_EQ(39, b.life);
    // Placed from the ship before its update, then moved once by its own update.
    EXPECT_EQ((shipX + b.vx) + b.vx, b.x);
    EXPECT_EQ((shipY + b.vy) + b.vy, b.y);
}

TEST(Exhaust, ASlotIsReusedFortyFramesLaterAsItsBallExpires)
{
    auto game = freshGame();
    runFrames(*game, 2, "U");  // slot 1
    for (int i = 0; i < 39; i++) runFrames(*game, 1, "U");
    EXPECT_TRUE(game->balls[1].alive);
    EXPECT_EQ(0, game->balls[1].life);
    runFrames(*game, 1, "U");  // frame 42: the 21st emission takes slot 1 as its ball would go out
    EXPECT_EQ(1, game->nextBall);
    EXPECT_TRUE(game->balls[1].alive);
    EXPECT_EQ(39, game->balls[1].life);
}

TEST(Cursor, MouseAtTheOriginAimsAtTheShip)
{
    auto game = freshGame();
    runFrame(*game);
    EXPECT_EQ(0.0f, game->cursor.x);
    EXPECT_EQ(0.0f, game->cursor.y);
    float want = std::atan2((double)(0.0f - 512.0f), (double)(0.0f - 640.0f)) / DEG_TO_RAD - 90;
    EXPECT_EQ(want, game->cursor.angle);
    EXPECT_NEAR(-231.34, game->cursor.angle, 0.01);  // heading down and right, at the ship
}

// Which frame each draw after setup shows.
static std::vector<int> framesShown(AnimatedSprite& a, int draws)
{
    std::vector<int> shown;
    for (int i = 0; i < draws; i++) {
        a.draw();
        shown.push_back(a.frame);
    }
    return shown;
}

TEST(Animation, CursorTimingElevenDrawsAFrameAfterTenOfTheFirst)
{
    auto game = freshGame();
    AnimatedSprite& c = game->cursor;
    EXPECT_EQ(7, c.frameCount);
    EXPECT_EQ(32.0f, c.w);
    for (int i = 0; i < 7; i++) EXPECT_EQ(0u, c.textures[i]);  // no window: nothing loaded, all 0
    std::vector<int> shown = framesShown(c, 88);
    for (int draw = 1; draw <= 88; draw++) {
        int want = draw <= 10 ? 0 : ((draw - 11) / 11 + 1) % 7;
        ASSERT_EQ(want, shown[draw - 1]) << "draw " << draw;
    }
    EXPECT_EQ(0, shown[76]);
    EXPECT_EQ(0, shown[86]);
}

TEST(Animation, StepsDelaysAndPauses)
{
    AnimatedSprite a;
    a.delay = 0;
    a.setup(7);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), framesShown(a, 3));

    AnimatedSprite b;
    b.delay = 0;
    b.setup(7);
    b.step = 2;
    EXPECT_EQ((std::vector<int>{2, 4, 6, 0, 2}), framesShown(b, 5));
    b.frame = 0;
    b.step = -1;
    EXPECT_EQ((std::vector<int>{6, 5, 4, 3, 2, 1, 0, 6}), framesShown(b, 8));
    b.step = 0;
    EXPECT_EQ((std::vector<int>{6, 6, 6}), framesShown(b, 3));

    AnimatedSprite c;
    c.delay = 3;
    c.setup(4);
    framesShown(c, 2);
    c.animating = false;
    framesShown(c, 50);
    EXPECT_EQ(0, c.frame);
    EXPECT_EQ(1, c.countdown);

    // start() turns a backward step forward again without restarting the countdown.
    c.step = -1;
    c.start();
    EXPECT_TRUE(c.animating);
    EXPECT_EQ(1, c.step);
    EXPECT_EQ(1, c.countdown);
    EXPECT_EQ((std::vector<int>{0, 1}), framesShown(c, 2));
    EXPECT_EQ(3, c.countdown);
}

// FNV-1a over every object and driver variable that the simulation owns.
static uint64_t stateHash(const Game& g)
{
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const void* p, size_t n) {
        const unsigned char* b = (const unsigned char*)p;
        for (size_t i = 0; i < n; i++) h = (h ^ b[i]) * 1099511628211ull;
    };
    for (const Ball& b : g.balls) {
        mix(&b.x, 5 * sizeof(float));
        mix(&b.vx, sizeof b.vx);
        mix(&b.vy, sizeof b.vy);
        mix(&b.alive, 1);
        mix(&b.life, sizeof b.life);
    }
    for (const Bullet& b : g.bullets) {
        mix(&b.x, 5 * sizeof(float));
        mix(&b.vx, sizeof b.vx);
        mix(&b.vy, sizeof b.vy);
        mix(&b.life, sizeof b.life);
        mix(&b.alive, 1);
    }
    for (const Rock& r : g.rocks) {
        mix(&r.x, 5 * sizeof(float));
        mix(&r.vx, sizeof r.vx);
        mix(&r.vy, sizeof r.vy);
        mix(&r.alive, 1);
    }
    mix(&g.ship.x, 5 * sizeof(float));
    mix(&g.ship.vx, 3 * sizeof(float));
    mix(&g.cursor.x, 5 * sizeof(float));
    mix(&g.cursor.frame, sizeof(int));
    int vars[] = {g.done, g.nextBall, g.ballToggle, g.spacebar, g.shipHit, g.wave};
    mix(vars, sizeof vars);
    return h;
}

static uint64_t playScripted(int frames)
{
    auto game = freshGame();
    const char* pattern[] = {"U", "UR", "US", "", "L", "S", "UL", "D", "RS", "U"};
    uint64_t h = 0;
    for (int f = 0; f < frames; f++) {
        runFrames(*game, 1, pattern[(f / 7 + f % 3) % 10]);
        h = h * 31 + stateHash(*game);
    }
    return h;
}

TEST(Determinism, TheSameKeysGiveTheSameBits)
{
    uint64_t first = playScripted(3000);
    uint64_t second = playScripted(3000);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, playScripted(2999));
}
