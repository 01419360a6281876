// test_frame.cpp -- whole frames through runFrame: quitting, exhaust emission, the cursor's aim and
// animation timing. (The fire latch is checked frame by frame in test_replays.cpp.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "objects/World.h"

static void push(Uint8 type, SDLKey sym = SDLK_UNKNOWN)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

TEST(Frame, QuitEventsFinishTheFrameAndDrainTheQueue)
{
    ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError();  // the dummy driver: a real event queue
    auto game = freshGame();
    push(SDL_KEYUP, SDLK_ESCAPE);
    push(SDL_KEYDOWN, SDLK_a);
    SDL_GetKeyState(nullptr)[SDLK_ESCAPE] = 1;  // held, but no new key-down
    runFrame(*game);
    EXPECT_EQ(0, game->done);
    push(SDL_QUIT);
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    push(SDL_MOUSEMOTION);
    runFrame(*game);
    EXPECT_EQ(1, game->done);
    SDL_Event e;
    EXPECT_EQ(0, SDL_PollEvent(&e));
    EXPECT_NE(1280.0f, game->rocks[0].x) << "the rest of the frame still ran";
    SDL_Quit();
}

TEST(Frame, ExhaustEverySecondUpFrameOfTheRun)
{
    auto game = freshGame();
    runFrames(*game, 1, "U");
    EXPECT_EQ(0, game->nextBall);
    runFrames(*game, 1, "U");
    EXPECT_EQ(1, game->nextBall);
    runFrames(*game, 1);
    runFrames(*game, 1, "U");  // the toggle kept its phase across the release
    EXPECT_EQ(1, game->nextBall);
    float x = game->ship.x, y = game->ship.y, angle = game->ship.angle;
    int q[4];
    srand15(seedFor(31000));
    for (int& d : q) d = rand15() / 10000;
    ASSERT_NE(q[0] - q[1], q[2] - q[3]);  // a swapped draw would show
    srand15(seedFor(31000));
    runFrames(*game, 1, "U");
    const Ball& b = game->balls[2];
    EXPECT_EQ((float)(std::sin(angle * DEG_TO_RAD) * -10.0 + q[0] - q[1]), b.vx);
    EXPECT_EQ((float)(std::cos(angle * DEG_TO_RAD) * 10.0 + q[2] - q[3]), b.vy);
    EXPECT_EQ((x + b.vx) + b.vx, b.x);  // from the ship before its update, then moved once
    EXPECT_EQ((y + b.vy) + b.vy, b.y);
    runFrames(*game, 39, "U");  // slot 2 is taken again just as its ball would go out
    EXPECT_EQ(0, game->balls[2].life);
    runFrames(*game, 1, "U");
    EXPECT_EQ(39, game->balls[2].life);
}

TEST(Frame, CursorAimsAtTheShipAndChangesFrameEveryElevenDraws)
{
    auto game = freshGame();
    for (int draw = 1; draw <= 88; draw++) {
        runFrame(*game);
        ASSERT_EQ(draw <= 10 ? 0 : ((draw - 11) / 11 + 1) % 7, game->cursor.frame) << "draw " << draw;
    }
    EXPECT_EQ(0.0f, game->cursor.x);  // the mouse at the window's origin
    float want = std::atan2((double)(0 - game->ship.y), (double)(0 - game->ship.x)) / DEG_TO_RAD - 90;
    EXPECT_EQ(want, game->cursor.angle);

    AnimatedSprite a;
    a.delay = 0;
    a.setup(7);
    a.step = -1;
    for (int want : {6, 5, 4, 3, 2, 1, 0, 6}) {
        a.draw();
        EXPECT_EQ(want, a.frame);
    }
    a.step = 3;
    a.draw();
    EXPECT_EQ(0, a.frame);  // past the end goes to 0, not a remainder
    a.animating = false;
    a.draw();
    EXPECT_EQ(0, a.frame);
    a.step = -1;
    a.start();  // forwards again, from where it stood
    a.draw();
    EXPECT_EQ(1, a.frame);
}
