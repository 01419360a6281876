// test_sim.cpp -- the simulation without a window: the recorded sessions checked by hand at chosen
// frames (replays/checks.txt), and the rules whose faults would hide from them: boundaries, slots,
// set-up, quitting. Every frame of every session is also held to its golden trace (`replay --expect`).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "KeyScript.h"
#include "TestSupport.h"
#include "Trace.h"
#include "game/RockPass.h"
#include "objects/World.h"

// Every line of replays/checks.txt against its session's trace: SESSION FRAME GROUP FIELD VALUE.// A field of the game by its trace name: ship, rock[i], bullet[i] or ball[i], and x, y, w, h, angle,
// vx, vy, spin (the ship's), alive (1 or 0) or life; or vars wave. Returns whether there is one.
static bool setField(Game& g, const std::string& group, const std::string& name, double value)
{
    size_t open = group.find('[');
    int i = open == std::string::npos ? 0 : std::stoi(group.substr(open + 1));
    std::string kind = group.substr(0, open);
    if (kind == "vars" && name == "wave") return g.wave = (int)value, true;
    Sprite* s = kind == "ship" ? (Sprite*)&g.ship : kind == "rock" ? (Sprite*)&g.rocks[i] : kind == "bullet" ? (Sprite*)&g.bullets[i] : (Sprite*)&g.balls[i];
    float* vx = kind == "ship" ? &g.ship.vx : kind == "rock" ? &g.rocks[i].vx : kind == "bullet" ? &g.bullets[i].vx : &g.balls[i].vx;
    float* vy = kind == "ship" ? &g.ship.vy : kind == "rock" ? &g.rocks[i].vy : kind == "bullet" ? &g.bullets[i].vy : &g.balls[i].vy;
    bool* alive = kind == "rock" ? &g.rocks[i].alive : kind == "bullet" ? &g.bullets[i].alive : kind == "ball" ? &g.balls[i].alive : nullptr;
    std::map<std::string, float*> floats{{"x", &s->x}, {"y", &s->y}, {"w", &s->w}, {"h", &s->h}, {"angle", &s->angle},
                                         {"vx", vx}, {"vy", vy}, {"spin", &g.ship.spin}};
    if (name == "alive" && alive) return *alive = value != 0, true;
    if (name == "life" && kind == "bullet") return g.bullets[i].life = (int)value, true;
    if (!floats.count(name)) return false;
    *floats[name] = (float)value;
    return true;
}

// Runs tests/replays/checks.txt: recorded sessions checked by hand at chosen frames, and scenes set up
// to meet the rules' boundaries. Its head says what each command does.
TEST(Checks, EveryLineOfChecksTxt)
{
    std::ifstream in(REPLAYS "/checks.txt");
    std::unique_ptr<Game> game;
    std::map<std::string, std::vector<unsigned>> sessions;
    long played = 0;
    unsigned seed = 1;
    int number = 0, expects = 0;
    for (std::string line; std::getline(in, line);) {
        number++;
        SCOPED_TRACE("checks.txt:" + std::to_string(number) + ": " + line);
        std::istringstream words(line.substr(0, line.find('#')));
        std::string command, a, b, c, d;
        if (!(words >> command)) continue;
        words >> a >> b >> c >> d;
        if (command == "new") {
            game = freshGame(), played = 0, seed = 1;
            for (Bullet& bullet : game->bullets) bullet.alive = a != "clear";  // only the bullets a scene places count
        } else if (command == "play") {
            if (!sessions.count(a)) sessions[a] = sessionKeys(a);
            for (; played < std::stol(b); played++) holdKeySet(sessions[a].at(played)), runFrame(*game);
            holdKeys("");
        } else if (command == "keys") {
            runFrames(*game, std::stoi(b), a == "-" ? "" : a), played += std::stoi(b);
            holdKeys("");
        } else if (command == "event") {  // quit, motion, keydown KEY, keyup KEY: queued for the next frame
            if (!SDL_WasInit(SDL_INIT_VIDEO)) ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError();  // dummy driver
            std::map<std::string, Uint8> types{{"quit", SDL_QUIT}, {"motion", SDL_MOUSEMOTION}, {"keydown", SDL_KEYDOWN}, {"keyup", SDL_KEYUP}};
            SDL_Event e;
            std::memset(&e, 0, sizeof e);
            e.type = types.at(a);
            e.key.keysym.sym = b == "escape" ? SDLK_ESCAPE : b == "a" ? SDLK_a : SDLK_UNKNOWN;
            ASSERT_EQ(0, SDL_PushEvent(&e));
        } else if (command == "pass") {
            rockPass(*game);
        } else if (command == "rock") {  // SLOT or FIRST-LAST, X Y SIZE: alive and at rest
            for (int i = std::stoi(a); i <= std::stoi(a.substr(a.find('-') + 1)); i++)
                for (auto [name, value] : {std::pair{"alive", "1"}, {"x", b.c_str()}, {"y", c.c_str()}, {"w", d.c_str()},
                                           {"h", d.c_str()}, {"vx", "0"}, {"vy", "0"}})
                    setField(*game, "rock[" + std::to_string(i) + "]", name, std::strtod(value, nullptr));
        } else if (command == "shot") {  // SLOT X Y
            for (auto [name, value] : {std::pair{"alive", "1"}, {"x", b.c_str()}, {"y", c.c_str()}})
                setField(*game, "bullet[" + a + "]", name, std::strtod(value, nullptr));
        } else if (command == "set") {
            ASSERT_TRUE(setField(*game, a, b, std::strtod(c.c_str(), nullptr)));
        } else if (command == "seed" || command == "seedfor") {
            seed = command == "seed" ? (unsigned)std::stoul(a) : seedFor(std::stoi(a));
            srand15(seed);
        } else if (command == "draws") {
            EXPECT_EQ(std::stoi(a), drawsSince(seed));
        } else if (command == "expect") {
            std::string got = traceField(traceLine(*game, played, 0), a, b), want = c;
            size_t hash = got.find('#');
            if (hash != std::string::npos && want != "-" && want != "*") {  // a float: the bits of the float nearest `want`
                float f = std::strtof(want.c_str(), nullptr);
                uint32_t bits;
                std::memcpy(&bits, &f, sizeof bits);
                char hex[10];
                snprintf(hex, sizeof hex, "#%08x", bits);
                want += hex;
                if (got.substr(hash) == hex) got = want;
            }
            EXPECT_EQ(want, got.empty() ? "-" : want == "*" ? "*" : got);
            expects++;
        } else {
            FAIL() << "unknown command";
        }
    }
    EXPECT_GT(expects, 80);
}

TEST(Sessions, SetUpLeavesNothingToChance)
{
    alignas(Game) static unsigned char zeros[sizeof(Game)], garbage[sizeof(Game)];
    std::memset(garbage, 0xa5, sizeof garbage);
    uint64_t digest[2];
    for (unsigned char* memory : {zeros, garbage}) {
        holdKeys("");
        srand15(1);
        Game* game = new (memory) Game;
        setUpGame(*game);
        uint64_t& h = digest[memory == garbage] = DIGEST_START;
        for (int f = 0; f < 3; f++) runFrame(*game), h = digestFrame(*game, h);
    }
    EXPECT_EQ(digest[0], digest[1]);
}
