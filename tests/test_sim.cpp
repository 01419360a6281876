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

#include "Checks.h"
#include "KeyScript.h"
#include "TestSupport.h"
#include "Trace.h"
#include "game/RockPass.h"
#include "objects/World.h"

// Sets a field by its trace name: ship x, y, w, h, vx, vy, spin; rock[i] x, y, w, h, vx, vy, alive;
// bullet[i] x, y, w, h, alive; vars wave. Returns whether there is such a field.
static bool setField(Game& g, const std::string& group, const std::string& name, float v)
{
    std::string kind = group.substr(0, group.find('['));
    int i = kind == group ? 0 : std::stoi(group.substr(kind.size() + 1));
    if (kind == "vars" && name == "wave") return g.wave = (int)v, true;
    if (name == "alive" && (kind == "rock" || kind == "bullet"))
        return (kind == "rock" ? g.rocks[i].alive : g.bullets[i].alive) = v != 0, true;
    Sprite* s = kind == "ship" ? (Sprite*)&g.ship : kind == "rock" ? (Sprite*)&g.rocks[i] : (Sprite*)&g.bullets[i];
    std::map<std::string, float*> floats{{"x", &s->x}, {"y", &s->y}, {"w", &s->w}, {"h", &s->h}};
    if (kind == "ship") floats.insert({{"vx", &g.ship.vx}, {"vy", &g.ship.vy}, {"spin", &g.ship.spin}});
    if (kind == "rock") floats.insert({{"vx", &g.rocks[i].vx}, {"vy", &g.rocks[i].vy}});
    if (!floats.count(name)) return false;
    *floats[name] = v;
    return true;
}

// Runs tests/replays/checks.txt: recorded sessions checked by hand at chosen frames, and scenes set up
// to meet the rules' boundaries. Its head says what each command does.
TEST(Checks, EveryLineOfChecksTxt)
{
    ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError();  // the dummy driver: a real event queue
    std::ifstream in(REPLAYS "/checks.txt");
    std::unique_ptr<Game> game;
    long played = 0;
    unsigned seed = 1;
    int number = 0, expects = 0;
    for (std::string line; std::getline(in, line);) {
        SCOPED_TRACE("checks.txt:" + std::to_string(++number) + ": " + line);
        std::istringstream words(line.substr(0, line.find('#')));
        std::string command, a, b, c, d, e;
        if (!(words >> command)) continue;
        words >> a >> b >> c >> d >> e;
        if (command == "new") {
            game = freshGame(), played = 0, seed = 1;
            for (Bullet& bullet : game->bullets) bullet.alive = a != "clear";  // only the bullets a scene places count
        } else if (command == "play") {
            std::vector<unsigned> keys = sessionKeys(a);
            for (; played < std::stol(b); played++) holdKeySet(keys.at(played)), runFrame(*game);
            holdKeySet(0);
        } else if (command == "keys") {
            std::vector<unsigned> held;
            std::string error;
            ASSERT_TRUE(parseKeyScript(a, "keys", held, error)) << error;
            holdKeySet(held[0]);
            for (int n = std::stoi(b); n > 0; n--, played++) runFrame(*game);
            holdKeySet(0);
        } else if (command == "event") {  // quit, motion, keydown KEY, keyup KEY: queued for the next frame
            std::map<std::string, Uint8> types{{"quit", SDL_QUIT}, {"motion", SDL_MOUSEMOTION}, {"keydown", SDL_KEYDOWN},
                                               {"keyup", SDL_KEYUP}};
            SDL_Event e{};
            e.type = types.at(a);
            e.key.keysym.sym = b == "escape" ? SDLK_ESCAPE : b == "a" ? SDLK_a : SDLK_UNKNOWN;
            ASSERT_EQ(0, SDL_PushEvent(&e));
        } else if (command == "pass") {
            rockPass(*game);
        } else if (command == "rock") {  // SLOT or FIRST-LAST, X Y SIZE: alive and at rest
            for (int i = std::stoi(a); i <= std::stoi(a.substr(a.find('-') + 1)); i++) {
                Rock& r = game->rocks[i];
                r.alive = true, r.x = std::stof(b), r.y = std::stof(c), r.w = r.h = std::stof(d), r.vx = r.vy = 0;
            }
        } else if (command == "shot") {  // SLOT X Y
            Bullet& s = game->bullets[std::stoi(a)];
            s.alive = true, s.x = std::stof(b), s.y = std::stof(c);
        } else if (command == "set") {
            ASSERT_TRUE(setField(*game, a, b, std::stof(c)));
        } else if (command == "seed" || command == "seedfor") {
            seed = command == "seed" ? (unsigned)std::stoul(a) : seedFor(std::stoi(a), b.empty() ? 1 : std::stoi(b));
            srand15(seed);
        } else if (command == "touches") {
            EXPECT_EQ(b == "1", game->rocks[std::stoi(a)].touchesShip(game->ship));
        } else if (command == "draws") {
            EXPECT_EQ(std::stoi(a), drawsBetween(seed, rand15State(), 1000));
        } else if (command == "pad") {
            EXPECT_EQ(e, keyNames(padKeys(std::stoi(a), std::stoi(b), (Uint8)std::stoi(c), d == "1")));
        } else if (command == "expect") {
            std::string got = traceField(traceLine(*game, played, 0), a, b);
            size_t hash = got.find('#');
            if (hash != std::string::npos && c != "-" && c != "*") {  // a float: the float nearest c, to the bit
                uint32_t bits = (uint32_t)std::stoul(got.substr(hash + 1), nullptr, 16);
                float value;
                std::memcpy(&value, &bits, sizeof value);
                EXPECT_EQ(std::strtof(c.c_str(), nullptr), value) << got;
            } else {
                EXPECT_EQ(c, got.empty() ? "-" : c == "*" ? "*" : got);
            }
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
        srand15(1);
        Game* game = new (memory) Game;
        setUpGame(*game);
        uint64_t& h = digest[memory == garbage] = DIGEST_START;
        for (int f = 0; f < 3; f++) runFrame(*game), h = digestFrame(*game, h);
    }
    EXPECT_EQ(digest[0], digest[1]);
}

// A pad holds in SDL's key state only what the keyboard does not, and lets go of only that.
TEST(Pad, LetsGoOfItsOwnKeysOnly)
{
    Uint8 keys[SDLK_LAST] = {};
    Pad pad;
    keys[SDLK_UP] = 1;             // the keyboard's
    pad.hold(keys, 1 | 4 | 16);    // Up, Left, Space
    EXPECT_EQ(4u | 16u, pad.added);
    EXPECT_TRUE(keys[SDLK_LEFT] && keys[SDLK_SPACE]);
    pad.releaseKeys(keys);
    EXPECT_TRUE(keys[SDLK_UP] && !keys[SDLK_LEFT] && !keys[SDLK_SPACE] && !pad.added);
}
