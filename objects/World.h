// World.h -- the wrap-around world's size, degree conversion, edge wrapping and the game's 15-bit random numbers.
#pragma once

const int WORLD_WIDTH = 1280;   // world units
const int WORLD_HEIGHT = 1024;  // world units

// 3.1415 / 180, not pi / 180: every heading in the game turns through this factor, so it is part of the rules.
const double DEG_TO_RAD = 0.01745277777777778;

// An object past an edge jumps exactly onto the opposite edge (the overshoot is dropped); one exactly
// on an edge stays. Tested x low, x high, y low, y high.
void wrapToWorld(float& x, float& y);

// The game's rand(): 0 ... 32767. The platform's own rand() may have more bits, and the game's
// "% 2", "% 20", "/ 10000" and "degrees" uses depend on the 15-bit range, so this generator stands in.
int rand15();
// Only tests and tools seed; the game always plays from the start state 1.
void srand15(unsigned seed);
// The generator's state, for tools that trace or count the draws.
unsigned rand15State();
