// test_replays.cpp -- the recorded sessions in tests/replays, checked by hand at chosen frames, and
// the replay tool's handling of a malformed key script. (The golden traces themselves are compared
// frame by frame by `replay --expect`, one CTest test per session.)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "KeyScript.h"
#include "TestSupport.h"
#include "Trace.h"
#include "objects/World.h"

// Plays a session's script in-process and keeps the trace lines of the frames asked for.
static std::map<long, std::string> play(const char* session, std::initializer_list<long> wanted)
{
    std::ifstream in(std::string(REPLAYS) + "/" + session + ".keys");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<unsigned> frames;
    std::string error;
    EXPECT_TRUE(parseKeyScript(text.str(), session, frames, error)) << error;
    auto game = freshGame();
    std::map<long, std::string> lines;
    for (long f = 1; f <= (long)frames.size(); f++) {
        holdKeySet(frames[f - 1]);
        runFrame(*game);
        for (long w : wanted)
            if (w == f) lines[f] = traceLine(*game, f, frames[f - 1]);
    }
    holdKeys("");
    return lines;
}

// A traced float field's value, from its exact bits.
static float num(const std::string& line, const char* group, const char* name)
{
    std::string v = traceField(line, group, name);
    size_t hash = v.find('#');
    if (hash == std::string::npos) return std::stof(v.empty() ? "nan" : v);
    uint32_t bits = (uint32_t)std::stoul(v.substr(hash + 1), nullptr, 16);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

static uint32_t rng(const std::string& line) { return (uint32_t)std::stoul(traceField(line, "frame", "rng"), nullptr, 16); }
static uint32_t lcg(uint32_t s) { return s * 214013u + 2531011u; }

TEST(Replays, IdleFramesOneTwoAndTheCursor)
{
    auto t = play("idle", {1, 2, 10, 11});
    // Frame 1: wave 1's rock from three draws, 41 (heading), 18467 (odd: x = 1280), 6334 (even: y = 0).
    EXPECT_EQ(lcg(lcg(lcg(1))), rng(t[1]));
    EXPECT_EQ(1280.0f, num(t[1], "rock[0]", "x"));
    EXPECT_EQ(0.0f, num(t[1], "rock[0]", "y"));
    EXPECT_EQ("2", traceField(t[1], "vars", "wave"));
    float vx = num(t[1], "rock[0]", "vx"), vy = num(t[1], "rock[0]", "vy");
    EXPECT_NEAR(3 * std::sin(41 * M_PI / 180), vx, 1e-3);
    // Frame 2: 1280 + 1.97 passes the right edge and lands on 0; 0 - 2.26 lands on 1024. It turns by vx.
    EXPECT_EQ(0.0f, num(t[2], "rock[0]", "x"));
    EXPECT_EQ(1024.0f, num(t[2], "rock[0]", "y"));
    EXPECT_EQ(vx, num(t[2], "rock[0]", "angle"));
    EXPECT_LT(vy, 0.0f);
    EXPECT_EQ("0", traceField(t[10], "cursor", "frame"));  // ten draws of frame 0, then frame 1
    EXPECT_EQ("1", traceField(t[11], "cursor", "frame"));
}

TEST(Replays, CollisionFrames270To272BounceOnce)
{
    auto t = play("collisions", {270, 271, 272});
    EXPECT_EQ("0", traceField(t[270], "vars", "shipHit"));
    EXPECT_EQ("1", traceField(t[271], "vars", "shipHit"));
    // The spin: the first draw's remainder by 20 minus the second's, the only draws of frame 271.
    uint32_t a = lcg(rng(t[270])), b = lcg(a);
    EXPECT_EQ(b, rng(t[271]));
    EXPECT_EQ((float)((int)((a >> 16) & 0x7fff) % 20 - (int)((b >> 16) & 0x7fff) % 20), num(t[271], "ship", "spin"));
    // Ship at rest, rock at speed 3: both leave at sqrt(3) / 2, in opposite directions.
    float svx = num(t[271], "ship", "vx"), svy = num(t[271], "ship", "vy");
    EXPECT_NEAR(std::sqrt(3.0) / 2, std::hypot(svx, svy), 1e-5);
    EXPECT_EQ(-svx, num(t[271], "rock[0]", "vx"));
    EXPECT_EQ(-svy, num(t[271], "rock[0]", "vy"));
    // Still touching in frame 272: the episode goes on, with no second bounce and no draw.
    EXPECT_EQ("1", traceField(t[272], "vars", "shipHit"));
    EXPECT_EQ(rng(t[271]), rng(t[272]));
}

TEST(Replays, ThrustAndTurnFrames)
{
    auto t = play("thrust_turn", {1, 2, 31, 48, 160});
    EXPECT_EQ(511.8f, num(t[1], "ship", "y"));
    EXPECT_EQ(-0.198f, num(t[1], "ship", "vy"));
    EXPECT_EQ("", traceField(t[1], "ball[1]", "life"));  // the first Up frame emits nothing
    EXPECT_EQ("39", traceField(t[2], "ball[1]", "life"));
    EXPECT_EQ(5.0f, num(t[31], "ship", "angle"));   // first Up+Right frame
    EXPECT_EQ(90.0f, num(t[48], "ship", "angle"));  // 18 turns of 5
    EXPECT_EQ(90.0f - 360.0f, num(t[160], "ship", "angle"));  // 72 turns left (frames 89-160): never wrapped
}

TEST(Replays, FiringFramesShowTheLatch)
{
    auto t = play("firing", {4, 6, 24, 26, 107, 145, 147});
    EXPECT_EQ("", traceField(t[4], "bullet[0]", "life"));  // out since frame 2, and the press is spent
    EXPECT_EQ("1", traceField(t[4], "vars", "spacebar"));
    EXPECT_EQ("99", traceField(t[6], "bullet[0]", "life"));
    EXPECT_EQ(482.0f, num(t[6], "bullet[0]", "y"));  // 15 ahead of the ship, then one move
    EXPECT_EQ("99", traceField(t[24], "bullet[9]", "life"));
    EXPECT_EQ("79", traceField(t[26], "bullet[0]", "life"));
    EXPECT_EQ("", traceField(t[107], "bullet[0]", "life"));  // 101 frames in flight
    EXPECT_EQ("", traceField(t[145], "bullet[0]", "life"));  // free, but the press was spent
    EXPECT_EQ("99", traceField(t[147], "bullet[0]", "life"));
}

TEST(Replays, AutopilotSessionReachesWaveFourAndFillsEverySlot)
{
    std::ifstream golden(std::string(REPLAYS) + "/autopilot.golden");
    int most = 0, lastWave = 0;
    long fullAt = 0;
    for (std::string line; std::getline(golden, line);) {
        if (line.compare(0, 2, "f=") != 0) continue;
        int rocks = 0;
        for (size_t at = line.find("| rock["); at != std::string::npos; at = line.find("| rock[", at + 1)) rocks++;
        if (rocks > most) most = rocks, fullAt = std::stol(traceField(line, "frame", "f"));
        lastWave = std::stoi(traceField(line, "vars", "wave"));
    }
    EXPECT_EQ(100, most);
    EXPECT_EQ(31000, fullAt);  // the first 100th frame with every slot alive
    EXPECT_GE(lastWave, 5);    // wave 4 has come and gone
}

TEST(Replays, MalformedScriptNamesTheLineAndExitsTwo)
{
    std::string path = std::string(::testing::TempDir()) + "bad.keys";
    std::ofstream(path) << "# fine\nU*3\nUX\n";
    int status = std::system((std::string(REPLAY) + " " + path + " 2>/dev/null").c_str());
    EXPECT_EQ(2, WEXITSTATUS(status));
    std::vector<unsigned> frames;
    std::string error;
    EXPECT_FALSE(parseKeyScript("- # none\nU*3\n\nUX\n", "s", frames, error));
    EXPECT_EQ("s:4: unknown key 'X' (keys are U D L R S, or -)", error);
    EXPECT_FALSE(parseKeyScript("S*\n", "s", frames, error));
    EXPECT_FALSE(parseKeyScript("*5\n", "s", frames, error));
    frames.clear();
    ASSERT_TRUE(parseKeyScript("UL * 2\n-\n", "s", frames, error));
    EXPECT_EQ("UL*2\n-\n", formatKeyScript(frames));
}
