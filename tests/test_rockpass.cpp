// test_rockpass.cpp -- the rock pass: bounces and contact episodes, strikes and splits, slots and waves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "game/RockPass.h"
#include "objects/World.h"

class RockPass : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = freshGame();
        for (Bullet& b : game->bullets) b.alive = false;  // only the bullets a test places count
    }
    // A live rock at rest, so it stays where the test put it.
    Rock& rock(int slot, float x, float y, float size = 200)
    {
        Rock& r = game->rocks[slot];
        r.alive = true;
        r.x = x;
        r.y = y;
        r.w = r.h = size;
        r.vx = r.vy = 0;
        return r;
    }
    void shot(int slot, float x, float y)
    {
        Bullet& b = game->bullets[slot];
        b.alive = true;
        b.x = x;
        b.y = y;
    }
    int alive()
    {
        int n = 0;
        for (const Rock& r : game->rocks) n += r.alive;
        return n;
    }
    std::unique_ptr<Game> game;
};

TEST_F(RockPass, FirstPassBringsWaveOneAtItsEndUnmoved)
{
    rockPass(*game);
    EXPECT_EQ(2, game->wave);
    EXPECT_EQ(1, alive());
    EXPECT_EQ(1280.0f, game->rocks[0].x);
    EXPECT_EQ(0.0f, game->rocks[0].y);
    rockPass(*game);
    EXPECT_EQ(0.0f, game->rocks[0].x);
}

TEST_F(RockPass, BounceFromOneCentreSpinsFirstDrawMinusSecond)
{
    Rock& r = rock(0, 640, 515);
    r.vy = -3;  // its own move in the pass brings it onto the ship's centre
    srand15(1);  // spin draws 41 and 18467: 1 - 7
    rockPass(*game);
    EXPECT_EQ(-6.0f, game->ship.spin);
    float v = (float)(std::sqrt(3.0) / 2);
    EXPECT_FLOAT_EQ(v, game->ship.vx);  // atan2(0, 0) = 0: the ship goes towards +x
    EXPECT_EQ(-game->ship.vx, r.vx);
    EXPECT_EQ(-game->ship.vy, r.vy);
    EXPECT_EQ(640.0f, game->ship.x);

    // Half the root of (the rock's speed + the ship's speed squared): sqrt(5 + 4) / 2.
    r.x = 640;
    r.y = 400;
    r.vx = 3;
    r.vy = 4;
    game->ship.vx = 0;
    game->ship.vy = 2;
    bounce(game->ship, r);
    EXPECT_FLOAT_EQ(1.5f, game->ship.vy);
    EXPECT_FLOAT_EQ(-1.5f, r.vy);
}

TEST_F(RockPass, OneBouncePerEpisodeOfContactWhateverRocksKeepIt)
{
    rock(3, 650, 512);
    rock(5, 630, 512);
    for (int frame = 0; frame < 3; frame++) {
        game->rocks[3].x = 650;
        game->rocks[5].x = 630;
        game->ship.vx = 1;  // a bounce speed of 0.5
        srand15(7);
        rockPass(*game);
        EXPECT_TRUE(game->shipHit);
        EXPECT_EQ(frame == 0 ? 2 : 0, drawsSince(7)) << "frame " << frame;
    }
    EXPECT_FLOAT_EQ(0.5f, game->rocks[3].vx);  // the lower slot bounced, away from the ship
    EXPECT_EQ(0.0f, game->rocks[5].vx);
    game->rocks[3].x = game->rocks[5].x = 100;
    rockPass(*game);
    EXPECT_FALSE(game->shipHit);
    game->rocks[5].x = 630;
    game->ship.vx = 1;
    rockPass(*game);
    EXPECT_FLOAT_EQ(-0.5f, game->rocks[5].vx);
}

TEST_F(RockPass, SplitsIntoTheFirstFreeSlotAndLaterSlotsMoveThisPass)
{
    for (int i = 0; i < 50; i++) rock(i, 100, 900, 30);
    rock(50, 300, 300);
    shot(1, 300, 300);
    shot(6, 300.5f, 300);
    srand15(seedFor(180));  // the hit sends the parent down; the piece takes the next draw
    rockPass(*game);
    Rock& piece = game->rocks[51];
    ASSERT_TRUE(piece.alive);
    EXPECT_FALSE(game->bullets[1].alive);
    // The split ended rock 50's bullet loop; slot 51 moved in this pass and met bullet 6.
    EXPECT_FALSE(game->bullets[6].alive);
    EXPECT_FLOAT_EQ(84.5f, piece.w);
    EXPECT_EQ(130.0f, game->rocks[50].w);

    // A piece in an earlier slot waits for the next pass; the second bullet flies on.
    rock(20, 600, 300);
    game->rocks[0].alive = false;
    shot(2, 600, 300);
    shot(3, 600, 300);
    rockPass(*game);
    EXPECT_EQ(600.0f, game->rocks[0].x);
    EXPECT_TRUE(game->bullets[3].alive);
}

TEST_F(RockPass, SmallRockDiesAndGoesOnMeetingBullets)
{
    Rock& r = rock(0, 300, 300, 25);
    shot(3, 300, 300);
    shot(8, 300, 300);
    srand15(1);
    rockPass(*game);
    EXPECT_FALSE(r.alive);
    EXPECT_FALSE(game->bullets[8].alive);  // the dead rock, 16.25 wide, still held it: hit twice
    EXPECT_EQ(2, drawsSince(1));           // two headings and no wave: it was alive at its turn
    rockPass(*game);
    EXPECT_EQ(2, game->wave);  // the wave comes one pass later
    EXPECT_EQ(1, alive());
}

TEST_F(RockPass, ExactlyTwentyWideAfterTheHitIsDestroyed)
{
    float w = 31;
    while ((float)(w * 0.65) > 20.0f) w = std::nextafter(w, 0.0f);
    ASSERT_EQ(20.0f, (float)(w * 0.65));
    rock(0, 700, 300, std::nextafter(w, 100.0f));
    rock(1, 300, 300, w);
    shot(0, 700, 300);
    shot(1, 300, 300);
    rockPass(*game);
    EXPECT_TRUE(game->rocks[0].alive);
    EXPECT_TRUE(game->rocks[2].alive);  // the piece of the one float wider
    EXPECT_FALSE(game->rocks[1].alive);
}

TEST_F(RockPass, FullSlotsShrinkTwiceAndMakeNoPiece)
{
    for (int i = 0; i < 100; i++) rock(i, 100, 900);
    rock(40, 300, 300);
    shot(2, 300, 300);
    shot(4, 300, 300);
    rockPass(*game);
    EXPECT_FLOAT_EQ(84.5f, game->rocks[40].w);
    EXPECT_FALSE(game->bullets[4].alive);
    EXPECT_EQ(100, alive());
}

TEST_F(RockPass, TouchedAndStruckRockLeavesOnTheHitsHeading)
{
    Rock& r = rock(0, 650, 512);
    shot(0, 650, 512);
    game->ship.vx = 1;
    srand15(1);  // spin 41, 18467; the hit's heading 6334
    rockPass(*game);
    Rock check;
    srand15(seedFor(6334));
    check.hit();
    EXPECT_EQ(check.vx, r.vx);
    EXPECT_LT(game->ship.vx, 0.0f);  // the ship keeps its bounce
}

TEST_F(RockPass, WaveAboveAHundredFillsTheSlotsAndWritesNothingPast)
{
    game->wave = 150;
    Ship before = game->ship;
    srand15(1);
    rockPass(*game);
    EXPECT_EQ(100, alive());
    EXPECT_EQ(151, game->wave);
    EXPECT_EQ(300, drawsSince(1));
    // The ship lies right after the rocks: a 101st spawn would land in it.
    EXPECT_EQ(0, std::memcmp(&before, &game->ship, sizeof(Ship)));
}
