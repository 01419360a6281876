// World.cpp -- edge wrapping and the 15-bit linear congruential generator.
#include "objects/World.h"

#include <cstdint>

void wrapToWorld(float& x, float& y)
{
    if (x < 0) x = WORLD_WIDTH;
    if (x > WORLD_WIDTH) x = 0;
    if (y < 0) y = WORLD_HEIGHT;
    if (y > WORLD_HEIGHT) y = 0;
}

static uint32_t randState = 1;

int rand15()
{
    randState = randState * 214013u + 2531011u;
    return (int)((randState >> 16) & 0x7fff);
}

void srand15(unsigned seed)
{
    randState = seed;
}

unsigned rand15State()
{
    return randState;
}
