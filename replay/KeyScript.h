// KeyScript.h -- key scripts: one line per frame naming the keys held, with repeats and comments.
#pragma once

#include <string>
#include <vector>

// Keys held in one frame, a bit each.
enum : unsigned { KEY_UP = 1, KEY_DOWN = 2, KEY_LEFT = 4, KEY_RIGHT = 8, KEY_SPACE = 16 };

// Parses a script: each line is a key set (letters U D L R S, or - for none), optionally followed by
// *N to hold it for N frames; # starts a comment; blank lines are skipped. On error returns false
// with `error` naming the line.
bool parseKeyScript(const std::string& text, const std::string& name, std::vector<unsigned>& frames,
                    std::string& error);
// The key set as script letters ("-" for none).
std::string keyNames(unsigned keys);
// A script of the frames, runs of the same keys folded into *N.
std::string formatKeyScript(const std::vector<unsigned>& frames);
// Reads a whole file (a script, a trace) into `text`; false if it cannot be read.
bool readTextFile(const std::string& path, std::string& text);
// Holds exactly these keys in SDL's key-state array.
void holdKeySet(unsigned keys);
