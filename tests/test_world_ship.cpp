// test_world_ship.cpp -- the random numbers, edge wrapping, and the ship's flight to the bit.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "objects/Ship.h"
#include "objects/World.h"

TEST(Random, UnseededSequenceIsTheClassicFifteenBitOne)
{
    srand15(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(value, rand15());
}

TEST(Random, SeedForForcesTheNextDraw)
{
    for (int value : {0, 1, 90, 19, 32767}) {
        srand15(seedFor(value));
        EXPECT_EQ(value, rand15());
    }
}

TEST(Wrap, OvershootIsDroppedAndEdgesStay)
{
    struct Case {
        float x, y, wantX, wantY;
    } cases[] = {
        {-0.5f, 10, 1280, 10},  {1280.5f, 10, 0, 10},   {0, 10, 0, 10},        {1280, 10, 1280, 10},
        {10, -0.5f, 10, 1024},  {10, 1024.5f, 10, 0},   {10, 0, 10, 0},        {10, 1024, 10, 1024},
        {-3, -3, 1280, 1024},   {1300, 1100, 0, 0},     {-1e-30f, 5, 1280, 5},
    };
    for (const Case& c : cases) {
        float x = c.x, y = c.y;
        wrapToWorld(x, y);
        EXPECT_EQ(c.wantX, x) << "from " << c.x;
        EXPECT_EQ(c.wantY, y) << "from " << c.y;
    }
}

class ShipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        holdKeys("");
        ship.init();
    }
    void TearDown() override { holdKeys(""); }
    void update(const std::string& keys)
    {
        holdKeys(keys);
        ship.update(SDL_GetKeyState(nullptr));
    }
    Ship ship;
};

TEST_F(ShipTest, StartsAtRestInTheCentre)
{
    update("");
    EXPECT_EQ(640.0f, ship.x);
    EXPECT_EQ(512.0f, ship.y);
    EXPECT_EQ(0.0f, ship.angle);
    EXPECT_EQ(0.0f, ship.vx);
    EXPECT_EQ(0.0f, ship.vy);
    EXPECT_EQ(64.0f, ship.w);
    EXPECT_EQ(64.0f, ship.h);
}

TEST_F(ShipTest, OneFrameOfThrustMovesBeforeTheDamping)
{
    update("U");
    EXPECT_EQ(640.0f, ship.x);
    EXPECT_EQ(511.8f, ship.y);
    EXPECT_EQ(0.0f, ship.vx);
    EXPECT_EQ(-0.198f, ship.vy);
}

TEST_F(ShipTest, HeldThrustNeverMovesMoreThanTwentyAFrame)
{
    float lastStep = 0;
    for (int i = 0; i < 3000; i++) {
        float before = ship.y;
        update("U");
        float moved = before - ship.y;
        if (moved > 0) lastStep = moved;  // ignore the frame that wraps
        ASSERT_LE(moved, 20.0f);
    }
    EXPECT_NEAR(20.0f, lastStep, 1e-3);
    EXPECT_NEAR(-19.8f, ship.vy, 1e-3);
    EXPECT_GT(ship.vy, -19.8f);
}

TEST_F(ShipTest, BothThrustKeysLeaveTheFloatRoundingOfTheFirst)
{
    // Up stores -0.2 as a float before Down adds the double 0.2 back: a trace survives both keys.
    update("UD");
    EXPECT_NE(0.0f, ship.vy);
    EXPECT_EQ((float)(((double)-0.2f + 0.2) * 0.99), ship.vy);
    EXPECT_EQ(512.0f, ship.y);  // the trace is far below a float step at 512
}

TEST_F(ShipTest, SpinAtOneOrMoreLocksTheTurnKeys)
{
    ship.spin = 1.0f;
    update("L");
    EXPECT_EQ(1.0f, ship.angle);  // turned by the spin alone
    EXPECT_EQ(0.98f, ship.spin);

    ship.angle = 0;
    ship.spin = 0.99f;
    update("L");
    EXPECT_EQ(-5.0f + 0.99f, ship.angle);

    ship.angle = 0;
    ship.spin = -19;
    update("R");
    EXPECT_EQ(5.0f - 19.0f, ship.angle);
}

TEST_F(ShipTest, LeftThenRightInOneUpdate)
{
    update("LR");
    EXPECT_EQ(0.0f, ship.angle);
}

TEST_F(ShipTest, AngleIsNeverBroughtBackIntoRange)
{
    for (int i = 0; i < 72; i++) update("R");
    EXPECT_EQ(360.0f, ship.angle);
}

TEST_F(ShipTest, ThrustUsesTheHeadingFromBeforeTheTurn)
{
    update("UR");
    EXPECT_EQ(5.0f, ship.angle);
    EXPECT_EQ(0.0f, ship.vx);
}

TEST_F(ShipTest, DriftDampsByOnePercentAFrame)
{
    ship.vx = 10;
    const float expectedX[] = {650.0f, 659.9f, 669.701f};
    for (float want : expectedX) {
        update("");
        EXPECT_FLOAT_EQ(want, ship.x);
    }
    EXPECT_EQ((float)(9.801f * 0.99), ship.vx);
}

TEST_F(ShipTest, WrapsAtTheWorldEdges)
{
    ship.x = 0.5f;
    ship.vx = -1;
    update("");
    EXPECT_EQ(1280.0f, ship.x);
    ship.x = 1280;
    ship.vx = 0;
    update("");
    EXPECT_EQ(1280.0f, ship.x);
    ship.y = 1023.5f;
    ship.vy = 1;
    update("");
    EXPECT_EQ(0.0f, ship.y);
}

TEST_F(ShipTest, ThrustAtNinetyDegreesCarriesTheShortPi)
{
    ship.angle = 90;
    update("U");
    // cos(90 degrees) through 3.1415 / 180 is not 0: the ship creeps down the screen.
    EXPECT_EQ(0.2f * 0.99f, ship.vx);
    EXPECT_LT(ship.vy, 0.0f);
    EXPECT_GT(ship.vy, -1e-5f);
}
