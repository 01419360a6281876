// test_rockpass.cpp -- the rock pass: bounces and contact episodes, strikes and splits, slots and waves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestSupport.h"
#include "game/RockPass.h"
#include "objects/World.h"

class RockPassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = freshGame();
        // Bullets start in play at the origin; put them all out so only the ones a test places count.
        for (Bullet& b : game->bullets) b.alive = false;
    }
    // A live rock at rest, so positions stay where the test put them.
    Rock& place(int slot, float x, float y, float size = 200)
    {
        Rock& r = game->rocks[slot];
        r.alive = true;
        r.x = x;
        r.y = y;
        r.w = size;
        r.h = size;
        r.vx = 0;
        r.vy = 0;
        return r;
    }
    Bullet& shot(int slot, float x, float y)
    {
        Bullet& b = game->bullets[slot];
        b.alive = true;
        b.life = 50;
        b.x = x;
        b.y = y;
        return b;
    }
    int aliveCount()
    {
        int n = 0;
        for (const Rock& r : game->rocks) n += r.alive;
        return n;
    }
    std::unique_ptr<Game> game;
};

TEST_F(RockPassTest, FirstPassBringsWaveOneAtTheEnd)
{
    rockPass(*game);
    EXPECT_EQ(2, game->wave);
    EXPECT_EQ(1, aliveCount());
    const Rock& r = game->rocks[0];
    // Draws 41, 18467, 6334: heading 41 degrees, corner (1280, 0); not moved in the pass that made it.
    EXPECT_EQ(1280.0f, r.x);
    EXPECT_EQ(0.0f, r.y);
    EXPECT_EQ(0.0f, r.angle);
    EXPECT_EQ((float)(std::sin(41 * DEG_TO_RAD) * 3), r.vx);
    rockPass(*game);
    EXPECT_EQ(0.0f, r.x);  // 1280 + vx passes the edge
    EXPECT_EQ(r.vx, r.angle);
}

TEST_F(RockPassTest, BounceFromTheSameCentreSendsTheShipTowardsPlusX)
{
    Rock& r = place(0, 640, 515);
    r.vy = -3;  // its update in the pass brings it onto the ship's centre
    srand15(1);  // spin draws 41 and 18467: 1 - 7
    rockPass(*game);
    float v = (float)(std::sqrt((double)(float)(std::sqrt(9.0) + 0.0f)) / 2);
    EXPECT_FLOAT_EQ(0.8660254f, v);
    EXPECT_EQ((float)(std::sin(-90 * DEG_TO_RAD) * -v), game->ship.vx);
    EXPECT_GT(game->ship.vx, 0.86f);
    EXPECT_EQ((float)(std::cos(-90 * DEG_TO_RAD) * v), game->ship.vy);
    EXPECT_EQ(-game->ship.vx, r.vx);
    EXPECT_EQ(-game->ship.vy, r.vy);
    EXPECT_EQ(-6.0f, game->ship.spin);  // first draw's remainder minus the second's
    EXPECT_TRUE(game->shipHit);
    EXPECT_EQ(640.0f, game->ship.x);  // positions are left alone
}

TEST_F(RockPassTest, BounceSpeedSquaresTheShipTermOnly)
{
    Rock& r = place(0, 640, 400);  // straight above the ship on screen
    r.vx = 3;
    r.vy = 4;  // rock term 25: its root 5
    game->ship.vx = 0;
    game->ship.vy = 2;  // ship term 4
    Ship ship = game->ship;
    bounce(ship, r);
    // V = sqrt(5 + 4) / 2 = 1.5, and the ship leaves downwards, away from the rock.
    EXPECT_NEAR(0.0f, ship.vx, 1e-3);
    EXPECT_FLOAT_EQ(1.5f, ship.vy);
    EXPECT_FLOAT_EQ(-1.5f, r.vy);
}

TEST_F(RockPassTest, OneBouncePerContactEpisode)
{
    place(3, 650, 512);
    place(5, 630, 512);
    for (int frame = 0; frame < 4; frame++) {
        game->rocks[3].x = 650;  // hold both in contact
        game->rocks[5].x = 630;
        game->ship.vx = 1;       // a bounce speed of 0.5 for whichever rock bounces
        srand15(7);
        rockPass(*game);
        EXPECT_TRUE(game->shipHit);
        EXPECT_EQ(frame == 0 ? 2 : 0, drawsSince(7)) << "frame " << frame;
    }
    // The lower slot bounced, away from the ship (+x); the other rock was never touched.
    EXPECT_FLOAT_EQ(0.5f, game->rocks[3].vx);
    EXPECT_EQ(0.0f, game->rocks[5].vx);

    // One pass without contact ends the episode; the next touch bounces again.
    game->rocks[3].x = 100;
    game->rocks[5].x = 100;
    rockPass(*game);
    EXPECT_FALSE(game->shipHit);
    game->rocks[5].x = 630;
    game->ship.vx = 1;
    rockPass(*game);
    EXPECT_TRUE(game->shipHit);
    EXPECT_FLOAT_EQ(-0.5f, game->rocks[5].vx);
}

TEST_F(RockPassTest, EpisodeStaysOpenWhileAnyRockTouches)
{
    place(0, 650, 512);
    rockPass(*game);
    float spin = game->ship.spin;
    // Rock 0 leaves, rock 1 arrives in the same pass: no new bounce.
    game->rocks[0].x = 100;
    place(1, 630, 512);
    rockPass(*game);
    EXPECT_TRUE(game->shipHit);
    EXPECT_EQ(0.0f, game->rocks[1].vx);
    EXPECT_EQ(spin, game->ship.spin);
}

TEST_F(RockPassTest, SplitGoesToTheFirstFreeSlotAndMovesInTheSamePass)
{
    for (int i = 0; i < 7; i++) place(i, 100 + i, 900);  // slots 0 ... 6 busy, far from the ship
    Rock& r = place(4, 300, 300);
    shot(2, 300, 300);
    srand15(seedFor(90));  // hit's heading 90; the piece's heading is the next draw
    rockPass(*game);
    EXPECT_FALSE(game->bullets[2].alive);
    EXPECT_EQ(130.0f, r.w);
    Rock& piece = game->rocks[7];
    ASSERT_TRUE(piece.alive);
    EXPECT_EQ(130.0f, piece.w);
    // A later slot takes its turn in the same pass: already moved once from the parent's place.
    EXPECT_EQ(300.0f + piece.vx, piece.x);
    EXPECT_EQ(300.0f + piece.vy, piece.y);
    EXPECT_EQ(8, aliveCount());
}

TEST_F(RockPassTest, PieceInAnEarlierSlotWaitsForTheNextPass)
{
    Rock& r = place(9, 300, 300);
    shot(0, 300, 300);
    rockPass(*game);
    Rock& piece = game->rocks[0];
    ASSERT_TRUE(piece.alive);
    EXPECT_EQ(300.0f, piece.x);
    EXPECT_EQ(300.0f, piece.y);
    EXPECT_EQ(130.0f, r.w);
}

TEST_F(RockPassTest, SplitEndsTheBulletLoopSoTheSecondBulletFliesOn)
{
    place(50, 300, 300);
    shot(1, 300, 300);
    shot(6, 300, 300);
    rockPass(*game);
    EXPECT_FALSE(game->bullets[1].alive);
    // The piece went to slot 0, before the parent: nothing else was tested against bullet 6.
    EXPECT_TRUE(game->bullets[6].alive);
    EXPECT_EQ(2, aliveCount());
}

TEST_F(RockPassTest, SecondBulletStrikesAPieceInALaterSlot)
{
    for (int i = 0; i < 50; i++) place(i, 100, 900, 30);
    place(50, 300, 300);
    shot(1, 300, 300);
    shot(6, 300.5f, 300);
    srand15(seedFor(180));
    rockPass(*game);
    // Slot 51 got the piece, moved it in this pass, and it met bullet 6 still in its box.
    EXPECT_FALSE(game->bullets[6].alive);
    EXPECT_FLOAT_EQ(84.5f, game->rocks[51].w);
}

TEST_F(RockPassTest, DestroyedRockKeepsMeetingTheOtherBullets)
{
    Rock& r = place(0, 300, 300, 25);
    shot(3, 300, 300);
    shot(8, 300, 300);
    srand15(1);
    rockPass(*game);
    EXPECT_FALSE(r.alive);
    EXPECT_FALSE(game->bullets[3].alive);
    // The dead rock as the first hit left it (16.25 wide) still holds bullet 8: spent too, a second hit.
    EXPECT_FALSE(game->bullets[8].alive);
    EXPECT_FLOAT_EQ((float)((float)(25 * 0.65) * 0.65), r.w);
    EXPECT_EQ(2, drawsSince(1));  // one heading per hit; the rock was alive at its turn, so no wave
}

TEST_F(RockPassTest, WidthOfExactlyTwentyAfterTheHitIsDestroyed)
{
    // The widest float that a hit brings to exactly 20.
    float w = 31;
    while ((float)(w * 0.65) > 20.0f) w = std::nextafter(w, 0.0f);
    ASSERT_EQ(20.0f, (float)(w * 0.65));
    Rock& r = place(0, 300, 300, w);
    shot(0, 300, 300);
    place(1, 100, 900);  // keeps the wave away
    rockPass(*game);
    EXPECT_FALSE(r.alive);
    EXPECT_EQ(1, aliveCount());

    float wider = std::nextafter(w, 100.0f);
    ASSERT_GT((float)(wider * 0.65), 20.0f);
    Rock& s = place(2, 300, 300, wider);
    shot(1, 300, 300);
    rockPass(*game);
    EXPECT_TRUE(s.alive);
    EXPECT_TRUE(game->rocks[0].alive);  // the piece
}

TEST_F(RockPassTest, FullSlotsShrinkTheRockTwiceInOnePass)
{
    for (int i = 0; i < 100; i++) place(i, 100, 900);
    Rock& r = place(40, 300, 300);
    shot(2, 300, 300);
    shot(4, 300, 300);
    rockPass(*game);
    EXPECT_FALSE(game->bullets[2].alive);
    EXPECT_FALSE(game->bullets[4].alive);
    EXPECT_FLOAT_EQ(84.5f, r.w);
    EXPECT_TRUE(r.alive);
    EXPECT_EQ(100, aliveCount());
}

TEST_F(RockPassTest, TouchedAndStruckRockLeavesOnTheHitsHeading)
{
    Rock& r = place(0, 650, 512);
    shot(0, 650, 512);
    game->ship.vx = 1;
    srand15(1);  // spin: 41, 18467; then the hit's heading: 6334
    rockPass(*game);
    Rock check;
    check.init();
    srand15(seedFor(6334));
    check.hit();
    EXPECT_EQ(check.vx, r.vx);
    EXPECT_EQ(check.vy, r.vy);
    EXPECT_EQ(-6.0f, game->ship.spin);
    EXPECT_LT(game->ship.vx, 0.0f);  // the ship keeps its bounce, away from the rock
}

TEST_F(RockPassTest, LastRockDestroyedBringsTheWaveOnePassLater)
{
    place(0, 300, 300, 25);
    shot(0, 300, 300);
    game->wave = 4;
    rockPass(*game);
    EXPECT_EQ(0, aliveCount());
    EXPECT_EQ(4, game->wave);  // it was alive at its turn
    rockPass(*game);
    EXPECT_EQ(4, aliveCount());
    EXPECT_EQ(5, game->wave);
    for (int i = 0; i < 4; i++) EXPECT_EQ(200.0f, game->rocks[i].w);
}

TEST_F(RockPassTest, WaveAboveAHundredFillsTheSlotsAndWritesNothingPast)
{
    game->wave = 150;
    Ship before = game->ship;
    srand15(1);
    rockPass(*game);
    EXPECT_EQ(300, drawsSince(1));
    EXPECT_EQ(100, aliveCount());
    EXPECT_EQ(151, game->wave);
    // The ship lies right after the rocks: a 101st spawn would land in it.
    EXPECT_EQ(0, std::memcmp(&before, &game->ship, sizeof(Ship)));
}
