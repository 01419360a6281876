// main.cpp -- replay: runs the game's real frames without a window on a key script or an autopilot,
// and prints a digest, a trace, or the first difference from a golden trace.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Checks.h"
#include "KeyScript.h"
#include "Pilot.h"
#include "Trace.h"
#include "objects/World.h"

static const char USAGE[] =
    "usage: replay [options] [SCRIPT]\n"
    "  SCRIPT          key script: one line per frame (U D L R S, - for none), KEYS*N repeats, # comments\n"
    "  --pilot N       play N frames with the autopilot instead of a script\n"
    "  --random N      play N frames of random keys (--seed S picks them; default 1)\n"
    "  --record FILE   write the keys played as a key script\n"
    "  --trace         print one line per frame with the whole state (--every N: every Nth frame)\n"
    "  --expect FILE   compare with a golden trace (written with --trace --every N) and its digest;\n"
    "                  at the first difference print the frame and field, decoded, and exit 1\n"
    "  --check         check the rules after every frame; stop at the first broken one\n"
    "  --wave N        start the wave counter at N\n"
    "Prints the digest of every state of every frame, and the frame count.\n";

static int usage(const char* why)
{
    fprintf(stderr, "replay: %s\n%s", why, USAGE);
    return 2;
}

// Says what went wrong and gives the exit status: 2 for bad input, 1 for a failed check.
static int fail(int status, const std::string& message)
{
    fprintf(stderr, "replay: %s\n", message.c_str());
    return status;
}

int main(int argc, char** argv)
{
    long pilot = -1, random = -1, every = 1, startWave = 1;
    unsigned seed = 1;
    bool trace = false, check = false;
    std::string script, record, expect;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto number = [&](long& out) {
            if (i + 1 >= argc) return false;
            char* end = nullptr;
            out = std::strtol(argv[++i], &end, 10);
            return *argv[i] && !*end && out >= 1;
        };
        long n = 0;
        if (a == "--pilot" && number(pilot)) continue;
        if (a == "--random" && number(random)) continue;
        if (a == "--seed" && number(n)) {
            seed = (unsigned)n;
            continue;
        }
        if (a == "--every" && number(every)) continue;
        if (a == "--wave" && number(startWave)) continue;
        if (a == "--record" && i + 1 < argc) {
            record = argv[++i];
            continue;
        }
        if (a == "--expect" && i + 1 < argc) {
            expect = argv[++i];
            continue;
        }
        if (a == "--trace") {
            trace = true;
            continue;
        }
        if (a == "--check") {
            check = true;
            continue;
        }
        if (a.size() > 1 && a[0] == '-') return usage(("bad option " + a).c_str());
        if (!script.empty()) return usage("more than one script");
        script = a;
    }
    if ((pilot > 0) + (random > 0) + !script.empty() != 1) return usage("give one of SCRIPT, --pilot N, --random N");

    std::vector<unsigned> frames;
    if (!script.empty()) {
        std::string text, error;
        if (!readTextFile(script, text)) return fail(2, "cannot read " + script);
        if (!parseKeyScript(text, script, frames, error)) return fail(2, error);
    }
    std::vector<std::string> golden;
    if (!expect.empty()) {
        std::string text;
        if (!readTextFile(expect, text)) return fail(2, "cannot read " + expect);
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#') golden.push_back(line);
        // The golden trace's own spacing: its first line is frame N of every N.
        if (!golden.empty() && golden[0].compare(0, 2, "f=") == 0) every = std::atol(golden[0].c_str() + 2);
        if (every < 1) return fail(2, expect + ": no frame lines");
    }

    std::unique_ptr<Game> game(new Game()), before(new Game());
    setUpGame(*game);  // no window: no textures, the same simulation
    game->wave = (int)startWave;
    long total = pilot > 0 ? pilot : random > 0 ? random : (long)frames.size();
    uint32_t keyState = seed * 2654435761u | 1;  // the random keys' own generator: leaves rand15 alone
    std::vector<unsigned> played;
    uint64_t digest = DIGEST_START;
    size_t nextGolden = 0;
    for (long f = 1; f <= total; f++) {
        unsigned keys;
        if (pilot > 0)
            keys = pilotKeys(*game, f);
        else if (random > 0) {
            keyState ^= keyState << 13, keyState ^= keyState >> 17, keyState ^= keyState << 5;
            keys = (keyState >> 8) & 31;
        } else
            keys = frames[f - 1];
        if (!record.empty()) played.push_back(keys);
        if (check) *before = *game;
        unsigned rng = rand15State();
        holdKeySet(keys);
        runFrame(*game);
        digest = digestFrame(*game, digest);
        if (check) {
            std::string broken = checkFrame(*before, rng, *game, keys);
            if (!broken.empty()) {
                return fail(1, "frame " + std::to_string(f) + ": " + broken + "\n" + traceLine(*game, f, keys));
            }
        }
        if (f % every == 0 && (trace || !expect.empty())) {
            std::string line = traceLine(*game, f, keys);
            if (trace) puts(line.c_str());
            if (!expect.empty()) {
                std::string diff = nextGolden < golden.size() ? traceDifference(golden[nextGolden], line)
                                                               : "frame " + std::to_string(f) + ": not in " + expect;
                if (!diff.empty()) return fail(1, diff);
                nextGolden++;
            }
        }
    }
    char last[64];
    snprintf(last, sizeof last, "digest %016llx frames %ld", (unsigned long long)digest, total);
    puts(last);
    if (!expect.empty()) {
        if (nextGolden >= golden.size() || golden[nextGolden] != last)
            return fail(1, expect + ": expected " + (nextGolden < golden.size() ? golden[nextGolden] : "(no digest line)") +
                               ", got " + last);
    }
    if (!record.empty()) {
        FILE* out = fopen(record.c_str(), "w");
        if (!out || fputs(formatKeyScript(played).c_str(), out) < 0 || fclose(out) != 0)
            return fail(1, "cannot write " + record);
    }
    return 0;
}
