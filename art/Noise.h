// Noise.h -- integer hash and smooth value noise on a wrapping lattice: the same numbers on every
// machine, so that every picture is the same from the same seed.
#pragma once

#include <cstdint>

namespace art {

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed);
// A hash as a number in 0 ... 1.
double unit(uint32_t x, uint32_t y, uint32_t seed);
// Value noise at (x, y), wrapping every `period` lattice steps.
double noise(double x, double y, uint32_t seed, int period);
// `octaves` of noise, each twice as fine and half as strong, in 0 ... 1.
double fbm(double x, double y, uint32_t seed, int period, int octaves);

}  // namespace art
