// test_objects.cpp -- random draws, wrapping, and each object's own rules, checked to the bit.
#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "objects/World.h"

TEST(World, RandomSequenceAndStrictWrap)
{
    srand15(1);
    for (int want : {41, 18467, 6334, 26500, 19169, 15724}) EXPECT_EQ(want, rand15());
    // x low, x high, y low, y high; the overshoot is dropped and an edge itself stays.
    float cases[][4] = {{-0.5f, -0.5f, 1280, 1024}, {1280.5f, 1024.5f, 0, 0}, {0, 0, 0, 0},
                        {1280, 1024, 1280, 1024}, {-1e-30f, 5, 1280, 5}};
    for (auto& c : cases) {
        float x = c[0], y = c[1];
        wrapToWorld(x, y);
        EXPECT_EQ(c[2], x);
        EXPECT_EQ(c[3], y);
    }
}

static Ship flown(const char* keys, float spin = 0, float angle = 0, int frames = 1)
{
    Ship s;
    s.init();
    s.spin = spin;
    s.angle = angle;
    holdKeys(keys);
    for (int i = 0; i < frames; i++) s.update(nullptr);  // reads SDL's array itself
    holdKeys("");
    return s;
}

TEST(Ship, ThrustTurnAndSpinLock)
{
    Ship s = flown("");
    EXPECT_EQ(640.0f, s.x);
    EXPECT_EQ(512.0f, s.y);
    s = flown("U");  // moves before the damping
    EXPECT_EQ(511.8f, s.y);
    EXPECT_EQ(-0.198f, s.vy);
    EXPECT_EQ(0.0f, s.vx);
    // Up stores -0.2 as a float before Down adds the double 0.2: a trace of rounding survives.
    EXPECT_EQ((float)(((double)-0.2f + 0.2) * 0.99), flown("UD").vy);
    EXPECT_EQ(0.0f, flown("LR").angle);
    EXPECT_EQ(360.0f, flown("R", 0, 0, 72).angle);
    EXPECT_EQ(1.0f, flown("L", 1.0f).angle);  // spin 1.0 locks the keys: only the spin turns
    EXPECT_EQ(-5.0f + 0.99f, flown("L", 0.99f).angle);
    EXPECT_EQ(5.0f - 19.0f, flown("R", -19).angle);  // a signed test: negative spin never locks
    EXPECT_EQ(0.0f, flown("UR").vx);                 // thrust takes the heading before the turn
    EXPECT_EQ((float)(0.2f * 0.99), flown("U", 0, 90).vx);
    EXPECT_LT(flown("U", 0, 90).vy, 0.0f);  // cos 90 through 3.1415 / 180 is not 0
}

TEST(Ship, HeldThrustTopsOutAtTwentyUnitsAFrame)
{
    Ship s;
    s.init();
    holdKeys("U");
    float step = 0;
    for (int i = 0; i < 3000; i++) {
        float before = s.y;
        s.update(nullptr);
        if (before > s.y) step = before - s.y;
        ASSERT_LE(before - s.y, 20.0f);
    }
    holdKeys("");
    EXPECT_NEAR(20.0f, step, 1e-3);
    EXPECT_GT(s.vy, -19.8f);
    s.vx = 10;
    s.vy = 0;
    s.x = 100;
    for (float want : {110.0f, 119.9f, 129.701f}) {
        s.update(nullptr);
        EXPECT_FLOAT_EQ(want, s.x);
    }
}

TEST(Ball, LifeFortyMovesFortyOneTimesThenStops)
{
    Ball b;
    b.init();
    b.update();
    EXPECT_FALSE(b.alive);
    EXPECT_EQ(0.0f, b.x);
    b.alive = true;
    b.life = 40;
    b.x = b.y = 100;
    b.vx = 2;
    b.vy = 3;
    for (int i = 0; i < 40; i++) b.update();
    EXPECT_TRUE(b.alive);
    EXPECT_EQ(0, b.life);
    EXPECT_EQ(180.0f, b.x);
    b.update();
    b.update();
    EXPECT_FALSE(b.alive);
    EXPECT_EQ(-1, b.life);
    EXPECT_EQ(182.0f, b.x);
    EXPECT_EQ(223.0f, b.y);
}

TEST(Bullet, FiringAndAHundredAndOneFramesInPlay)
{
    Ship ship;
    ship.init();
    Bullet b;
    b.init();
    EXPECT_TRUE(b.alive);  // in play at the origin with life 0 until its second update
    b.update();
    EXPECT_TRUE(b.alive);
    b.update();
    EXPECT_FALSE(b.alive);

    b.fire(ship, 0);
    EXPECT_EQ(-15.0f, b.vy);
    EXPECT_EQ(497.0f, b.y);
    ship.angle = 90;
    b.fire(ship, 0);
    EXPECT_EQ(15.0f, b.vx);
    EXPECT_NEAR(-0.0006949, b.vy, 1e-7);
    EXPECT_EQ(655.0f, b.x);
    EXPECT_EQ(512.0f + b.vy, b.y);  // a float sum of the stored velocity
    ship.angle = 30;
    b.fire(ship, 10);
    EXPECT_EQ(40.0f, b.angle);
    for (int i = 0; i < 101; i++) {
        b.update();
        ASSERT_TRUE(b.alive) << i;
    }
    EXPECT_EQ(-1, b.life);
    float y = b.y;
    b.update();
    EXPECT_FALSE(b.alive);
    EXPECT_NE(y, b.y);  // the last update still moves it
}

TEST(Rock, SpawnHeadingAndHits)
{
    Rock r;
    r.init();
    r.angle = 77;
    srand15(1);  // heading 41, then x corner 18467 (odd), then y corner 6334 (even)
    r.spawn();
    EXPECT_EQ(1280.0f, r.x);
    EXPECT_EQ(0.0f, r.y);
    EXPECT_EQ(200.0f, r.w);
    EXPECT_EQ(77.0f, r.angle);
    EXPECT_NEAR(3 * std::sin(41 * M_PI / 180), r.vx, 1e-3);
    EXPECT_EQ(26500, rand15());
    for (float want : {130.0f, 84.5f, 54.925f, 35.70125f, 23.20581f, 15.08378f}) {
        r.hit();
        EXPECT_FLOAT_EQ(want, r.h);
        EXPECT_EQ(1280.0f, r.x);
        EXPECT_EQ(77.0f, r.angle);
    }
    srand15(seedFor(0));
    r.hit();
    EXPECT_EQ(0.0f, r.vx);
    EXPECT_EQ(-3.0f, r.vy);
    srand15(seedFor(90));
    r.hit();
    EXPECT_EQ(3.0f, r.vx);
    EXPECT_NEAR(-0.000139, r.vy, 1e-6);
}

TEST(Rock, MovesTurnsByVxAndWraps)
{
    Rock r;
    r.init();
    r.alive = true;
    r.x = 1280;
    r.vx = 2;
    r.update();
    EXPECT_EQ(0.0f, r.x);  // passes the edge and lands on the other edge itself
    EXPECT_EQ(2.0f, r.angle);
    r.vx = -1;
    r.update();
    EXPECT_EQ(1280.0f, r.x);
    EXPECT_EQ(1.0f, r.angle);
}

TEST(Rock, HitTestsAreStrictDoublesWithoutWrap)
{
    Rock r;
    r.init();
    r.x = 640;
    r.y = 512;
    r.w = r.h = 200;
    Bullet b;
    b.init();
    float inside[][2] = {{640, 512}, {719.99f, 591.99f}, {560.01f, 432.01f}};
    float outside[][2] = {{720, 512}, {560, 512}, {640, 432}, {640, 592}};
    for (auto& p : inside) EXPECT_TRUE((b.x = p[0], b.y = p[1], r.containsPoint(b)));
    for (auto& p : outside) EXPECT_FALSE((b.x = p[0], b.y = p[1], r.containsPoint(b)));

    Ship s;
    s.init();
    r.x = 752;
    EXPECT_FALSE(r.touchesShip(s));  // edges only meet
    r.x = 751.9f;
    EXPECT_TRUE(r.touchesShip(s));
    // Unrounded: at 2^24 floats step by 2, and a float sum would lose the 0.1 of overlap.
    s.x = 16777216.0f;
    s.w = 64.2f;
    r.x = s.x + 112;
    EXPECT_TRUE(r.touchesShip(s));
    s.init();
    s.x = 1279;
    r.x = 1;
    EXPECT_FALSE(r.touchesShip(s));
}
