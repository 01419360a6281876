// Trace.h -- a frame's whole state as one readable line, a digest of every field, and a decoded diff.
#pragma once

#include <cstdint>
#include <string>

#include "game/Game.h"

// "f=N keys=K rng=… | ship … | vars … | cursor … | rock[i] … | bullet[j] … | ball[k] …": every live
// object; floats as decimal#bits so a diff is both readable and exact.
std::string traceLine(const Game& game, long frame, unsigned keys);
// Folds every state field of every object, dead or alive, and the generator's state into h (FNV-1a).
uint64_t digestFrame(const Game& game, uint64_t h);
const uint64_t DIGEST_START = 1469598103934665603ull;
// Empty when the lines agree; otherwise the first differing field, decoded, e.g.
// "frame 200: rock[3] x: expected 12.5 (0x41480000), got 12.25 (0x41440000)".
std::string traceDifference(const std::string& expected, const std::string& got);
// The value of one field of a trace line as printed ("640#44200000"), or "" if the line has none.
std::string traceField(const std::string& line, const std::string& group, const std::string& name);
