// KeyScript.cpp -- key scripts read (from their files) and written, and their keys held in SDL's key state.
#include "KeyScript.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

static const char LETTERS[] = "UDLRS";

bool parseKeyScript(const std::string& text, const std::string& name, std::vector<unsigned>& frames,
                    std::string& error)
{
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        auto fail = [&](const std::string& why) {
            error = name + ":" + std::to_string(number) + ": " + why;
            return false;
        };
        line = line.substr(0, line.find('#'));
        size_t a = line.find_first_not_of(" \t\r"), b = line.find_last_not_of(" \t\r");
        if (a == std::string::npos) continue;
        line = line.substr(a, b - a + 1);
        std::string keyPart = line, countPart;
        size_t star = line.find('*');
        if (star != std::string::npos) {
            keyPart = line.substr(0, star);
            countPart = line.substr(star + 1);
            while (!keyPart.empty() && (keyPart.back() == ' ' || keyPart.back() == '\t')) keyPart.pop_back();
            size_t c = countPart.find_first_not_of(" \t");
            countPart = c == std::string::npos ? "" : countPart.substr(c);
        }
        unsigned keys = 0;
        if (keyPart != "-") {
            if (keyPart.empty()) return fail("no keys named (use - for none)");
            for (char ch : keyPart) {
                const char* at = ch ? std::strchr(LETTERS, ch) : nullptr;
                if (!at) return fail(std::string("unknown key '") + ch + "' (keys are U D L R S, or -)");
                keys |= 1u << (at - LETTERS);
            }
        }
        long count = 1;
        if (star != std::string::npos) {
            char* end = nullptr;
            count = std::strtol(countPart.c_str(), &end, 10);
            if (countPart.empty() || *end || count < 1 || count > 100000000)
                return fail("bad repeat count '" + countPart + "' (want *N with N from 1 to 100000000)");
        }
        frames.insert(frames.end(), (size_t)count, keys);
    }
    return true;
}

std::string keyNames(unsigned keys)
{
    std::string s;
    for (int i = 0; i < 5; i++)
        if (keys & (1u << i)) s += LETTERS[i];
    return s.empty() ? "-" : s;
}

std::string formatKeyScript(const std::vector<unsigned>& frames)
{
    std::string out;
    for (size_t i = 0; i < frames.size();) {
        size_t j = i;
        while (j < frames.size() && frames[j] == frames[i]) j++;
        out += keyNames(frames[i]);
        if (j - i > 1) out += "*" + std::to_string(j - i);
        out += "\n";
        i = j;
    }
    return out;
}

bool readTextFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

void holdKeySet(unsigned keys)
{
    Uint8* state = SDL_GetKeyState(nullptr);
    const SDLKey syms[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE};
    for (int i = 0; i < 5; i++) state[syms[i]] = (keys >> i) & 1;
}
