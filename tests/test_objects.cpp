// test_objects.cpp -- balls, bullets and rocks on their own: life counting, firing, headings, hit tests.
#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "objects/Ball.h"
#include "objects/Bullet.h"
#include "objects/Rock.h"
#include "objects/World.h"

TEST(FreshObjects, AllStartAsTheSpriteDefaults)
{
    Sprite sprite;
    Ship ship;
    Ball ball;
    Bullet bullet;
    Rock rock;
    for (const Sprite* s : {&sprite, (Sprite*)&ship, (Sprite*)&ball, (Sprite*)&bullet, (Sprite*)&rock}) {
        EXPECT_EQ(0.0f, s->x);
        EXPECT_EQ(0.0f, s->y);
        EXPECT_EQ(0.0f, s->angle);
        EXPECT_EQ(64.0f, s->w);
        EXPECT_EQ(64.0f, s->h);
        EXPECT_EQ(0u, s->texture);
        EXPECT_EQ(nullptr, s->image);
        EXPECT_EQ(nullptr, s->surface);
    }
}

TEST(Ball, OutOfPlayAfterInitAndUpdatesChangeNothing)
{
    Ball ball;
    ball.init();
    for (int i = 0; i < 3; i++) ball.update();
    EXPECT_FALSE(ball.alive);
    EXPECT_EQ(0.0f, ball.x);
    EXPECT_EQ(0, ball.life);
    EXPECT_EQ(16.0f, ball.w);
}

TEST(Ball, LifeFortyMovesFortyOneTimes)
{
    Ball ball;
    ball.init();
    ball.alive = true;
    ball.life = 40;
    ball.x = 100;
    ball.y = 100;
    ball.vx = 2;
    ball.vy = 3;
    for (int i = 0; i < 40; i++) ball.update();
    EXPECT_TRUE(ball.alive);
    EXPECT_EQ(0, ball.life);
    EXPECT_EQ(180.0f, ball.x);
    EXPECT_EQ(220.0f, ball.y);
    ball.update();
    EXPECT_FALSE(ball.alive);
    EXPECT_EQ(-1, ball.life);
    EXPECT_EQ(182.0f, ball.x);
    EXPECT_EQ(223.0f, ball.y);
    ball.update();
    EXPECT_EQ(182.0f, ball.x);
    EXPECT_EQ(-1, ball.life);
}

TEST(Ball, LandsExactlyOnTheOppositeEdge)
{
    Ball ball;
    ball.init();
    ball.alive = true;
    ball.life = 5;
    ball.x = 1;
    ball.y = 1020;
    ball.vx = -2;
    ball.vy = 5;
    ball.update();
    EXPECT_EQ(1280.0f, ball.x);
    EXPECT_EQ(0.0f, ball.y);
}

class BulletTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ship.init();
        bullet.init();
    }
    Ship ship;
    Bullet bullet;
};

TEST_F(BulletTest, InitPutsItInPlayAtTheOriginForTwoUpdates)
{
    EXPECT_TRUE(bullet.alive);
    EXPECT_EQ(0, bullet.life);
    EXPECT_EQ(5.0f, bullet.w);
    EXPECT_EQ(20.0f, bullet.h);
    bullet.update();
    EXPECT_TRUE(bullet.alive);
    EXPECT_EQ(-1, bullet.life);
    bullet.update();
    EXPECT_FALSE(bullet.alive);
    EXPECT_EQ(-1, bullet.life);  // taking it out leaves the life alone
    EXPECT_EQ(0.0f, bullet.x);
}

TEST_F(BulletTest, FiredStraightUpFromTheCentre)
{
    bullet.fire(ship, 0);
    EXPECT_TRUE(bullet.alive);
    EXPECT_EQ(100, bullet.life);
    EXPECT_EQ(0.0f, bullet.angle);
    EXPECT_EQ(0.0f, bullet.vx);
    EXPECT_EQ(-15.0f, bullet.vy);
    EXPECT_EQ(640.0f, bullet.x);
    EXPECT_EQ(497.0f, bullet.y);
}

TEST_F(BulletTest, FiredAtNinetyDegreesCarriesTheShortPi)
{
    ship.angle = 90;
    bullet.fire(ship, 0);
    EXPECT_EQ(15.0f, bullet.vx);
    EXPECT_NEAR(-0.0006949, bullet.vy, 1e-7);
    EXPECT_NE(0.0f, bullet.vy);
    EXPECT_EQ(655.0f, bullet.x);
    EXPECT_FLOAT_EQ(511.9993f, bullet.y);
    EXPECT_EQ(512.0f + bullet.vy, bullet.y);  // a float sum of the stored velocity
}

TEST_F(BulletTest, OffsetAddsToTheHeading)
{
    ship.angle = 30;
    bullet.fire(ship, 10);
    EXPECT_EQ(40.0f, bullet.angle);
}

TEST_F(BulletTest, LifeHundredIsInPlayForHundredAndOneUpdates)
{
    bullet.fire(ship, 0);
    for (int i = 0; i < 101; i++) {
        bullet.update();
        ASSERT_TRUE(bullet.alive) << "update " << i + 1;
    }
    EXPECT_EQ(-1, bullet.life);
    float y = bullet.y;
    bullet.update();
    EXPECT_FALSE(bullet.alive);
    EXPECT_NE(y, bullet.y);  // the last update still moves it
    y = bullet.y;
    bullet.update();
    EXPECT_EQ(y, bullet.y);
}

TEST_F(BulletTest, FiringRestartsABulletInPlay)
{
    bullet.fire(ship, 0);
    for (int i = 0; i < 30; i++) bullet.update();
    bullet.fire(ship, 0);
    EXPECT_EQ(100, bullet.life);
    EXPECT_EQ(497.0f, bullet.y);
}

class RockTest : public ::testing::Test {
protected:
    void SetUp() override { rock.init(); }
    Rock rock;
};

TEST_F(RockTest, InitLeavesItDeadAtRest)
{
    EXPECT_FALSE(rock.alive);
    EXPECT_EQ(128.0f, rock.w);
    EXPECT_EQ(0.0f, rock.vx);
    rock.update();
    EXPECT_EQ(0.0f, rock.x);
}

TEST_F(RockTest, SpawnDrawsHeadingThenCornerXThenCornerY)
{
    srand15(1);  // 41, 18467, 6334, 26500
    rock.angle = 77;
    rock.spawn();
    EXPECT_TRUE(rock.alive);
    EXPECT_EQ(200.0f, rock.w);
    EXPECT_EQ(200.0f, rock.h);
    EXPECT_EQ(1280.0f, rock.x);  // 18467 is odd
    EXPECT_EQ(0.0f, rock.y);     // 6334 is even
    EXPECT_EQ(77.0f, rock.angle);
    EXPECT_NEAR(3 * std::sin(41 * M_PI / 180), rock.vx, 1e-3);
    EXPECT_NEAR(-3 * std::cos(41 * M_PI / 180), rock.vy, 1e-3);
    EXPECT_EQ(26500, rand15());
}

TEST_F(RockTest, HeadingsFromTheDrawnDegrees)
{
    srand15(seedFor(0));
    rock.hit();
    EXPECT_EQ(0.0f, rock.vx);
    EXPECT_EQ(-3.0f, rock.vy);

    srand15(seedFor(90));
    rock.hit();
    EXPECT_EQ(3.0f, rock.vx);
    EXPECT_NEAR(-0.000139, rock.vy, 1e-6);
    EXPECT_NE(0.0f, rock.vy);
}

TEST_F(RockTest, HitsShrinkByPointSixFiveAndLeaveTheRestAlone)
{
    srand15(1);
    rock.spawn();
    rock.angle = 12;
    const float widths[] = {130.0f, 84.5f, 54.925f, 35.70125f, 23.20581f, 15.08378f};
    for (float want : widths) {
        float x = rock.x, y = rock.y;
        rock.hit();
        EXPECT_FLOAT_EQ(want, rock.w);
        EXPECT_EQ(rock.w, rock.h);
        EXPECT_EQ(x, rock.x);
        EXPECT_EQ(y, rock.y);
        EXPECT_EQ(12.0f, rock.angle);
        EXPECT_TRUE(rock.alive);
    }
}

TEST_F(RockTest, SpawnFromTakesSizeAndPlaceOnly)
{
    Rock parent;
    parent.init();
    parent.x = 300;
    parent.y = 400;
    parent.w = 84.5f;
    parent.h = 84.5f;
    parent.vx = 9;
    parent.angle = 45;
    rock.angle = 10;
    srand15(seedFor(180));
    rock.spawnFrom(parent);
    EXPECT_TRUE(rock.alive);
    EXPECT_EQ(300.0f, rock.x);
    EXPECT_EQ(400.0f, rock.y);
    EXPECT_EQ(84.5f, rock.w);
    EXPECT_EQ(10.0f, rock.angle);
    EXPECT_NEAR(3.0f, rock.vy, 1e-5);
}

TEST_F(RockTest, UpdateMovesTurnsByVxAndWraps)
{
    rock.alive = true;
    rock.x = 1280;
    rock.y = 500;
    rock.vx = 2;
    rock.vy = -1;
    rock.update();
    EXPECT_EQ(0.0f, rock.x);  // passed 1280: jumps to the edge itself, not to 2
    EXPECT_EQ(499.0f, rock.y);
    EXPECT_EQ(2.0f, rock.angle);
    rock.x = 0.5f;
    rock.vx = -1;
    rock.update();
    EXPECT_EQ(1280.0f, rock.x);
    EXPECT_EQ(1.0f, rock.angle);
    rock.x = 1;
    rock.update();
    EXPECT_EQ(0.0f, rock.x);  // exactly on the edge stays
}

TEST_F(RockTest, ContainsPointIsStrictOnEveryEdge)
{
    rock.x = 640;
    rock.y = 512;
    rock.w = 200;
    rock.h = 200;
    Bullet b;
    b.init();
    auto at = [&](float x, float y) {
        b.x = x;
        b.y = y;
        return rock.containsPoint(b);
    };
    EXPECT_TRUE(at(640, 512));
    EXPECT_FALSE(at(720, 512));
    EXPECT_FALSE(at(560, 512));
    EXPECT_FALSE(at(640, 432));
    EXPECT_FALSE(at(640, 592));
    EXPECT_TRUE(at(719.99f, 591.99f));
    EXPECT_TRUE(at(560.01f, 432.01f));
    b.alive = false;
    EXPECT_TRUE(at(640, 512));  // the caller checks alive
}

TEST_F(RockTest, TouchesShipComparesUnroundedDoubles)
{
    Ship ship;
    ship.init();
    rock.w = 200;
    rock.h = 200;
    rock.y = 512;
    rock.x = 752;
    EXPECT_FALSE(rock.touchesShip(ship));  // edges only meet
    rock.x = 751.9f;
    EXPECT_TRUE(rock.touchesShip(ship));
    rock.x = 640;
    rock.y = 624;
    EXPECT_FALSE(rock.touchesShip(ship));
    rock.y = 623.9f;
    EXPECT_TRUE(rock.touchesShip(ship));

    // 0.1 below the edge in double, but the same float once rounded: must still count.
    ship.x = 16777216.0f;  // 2^24: float steps of 2 here
    rock.x = 16777216.0f + 112;
    rock.y = 512;
    ship.w = 64.2f;
    EXPECT_TRUE(rock.touchesShip(ship));
}

TEST_F(RockTest, NoContactAcrossTheWrap)
{
    Ship ship;
    ship.init();
    ship.x = 1279;
    rock.w = 200;
    rock.h = 200;
    rock.x = 1;
    rock.y = ship.y;
    EXPECT_FALSE(rock.touchesShip(ship));
    Bullet b;
    b.init();
    b.x = 1279;
    b.y = ship.y;
    EXPECT_FALSE(rock.containsPoint(b));
}
