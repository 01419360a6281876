// Pad.h -- gamepads (SDL's joystick API) holding the game's five keys in SDL's key state beside the
// keyboard: looked for at start and every 2 s while none plays, let go of within a fifth of a second
// of being unplugged.
#pragma once

#include <SDL.h>

// Past this, of an axis's 32767, the first stick turns, thrusts or reverses: a stick resting a little
// off centre holds nothing.
const int PAD_DEAD_ZONE = 13107;
// How often, in ms, the game looks for pads while none plays, and checks that those that play are still
// there (the check costs microseconds, a look up to milliseconds).
const Uint32 PAD_LOOK_MS = 2000, PAD_CHECK_MS = 200;

struct Pad {
    bool on = false;               // the game reads pads (the replay's frames never do)
    SDL_Joystick* sticks[4] = {};  // the pads open, in SDL's order
    int count = 0;
    Uint32 nextLook = 0;           // SDL_GetTicks() of the next look for pads, or check that they are still there
    bool rested[4][2] = {};        // each pad's stick, X and Y: seen at rest in the dead zone since it was opened
    unsigned added = 0;            // keys the pads hold that the keyboard did not: one bit a key, as padKeys

    // Before SDL reads the keyboard: the keys the pads added are let go, so that SDL sees the keyboard's own.
    void releaseKeys(Uint8* keys);
    // After: every key the pads hold is held (looked for, read, and given to hold).
    void holdKeys(Uint8* keys);
    // HELD (one bit a key, as padKeys) held, each key the keyboard does not hold already added.
    void hold(Uint8* keys, unsigned held);
    // Opens every pad SDL finds, its joystick part started anew (stopped again if none is a pad).
    void look();
    // Closes the pads and stops SDL's joystick part, if it runs.
    void close();
};

// The keys a pad's state holds, one bit each: Up, Down, Left, Right, Space (bit 0 ... 4). X and Y are
// its first stick, HAT its first d-pad (SDL_HAT_*), BUTTON whether any of its buttons is down.
unsigned padKeys(int x, int y, Uint8 hat, bool button);
