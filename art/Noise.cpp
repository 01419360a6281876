// Noise.cpp -- the lattice hash, value noise and its octaves.
#include "Noise.h"

#include <cmath>

namespace art {

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
double unit(uint32_t x, uint32_t y, uint32_t seed) { return (hash(x, y, seed) & 0xffffff) / 16777216.0; }

double noise(double x, double y, uint32_t seed, int period)
{
    int x0 = (int)std::floor(x), y0 = (int)std::floor(y);
    double fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto v = [&](int i, int j) {
        return unit((uint32_t)(((i % period) + period) % period), (uint32_t)(((j % period) + period) % period), seed);
    };
    double a = v(x0, y0), b = v(x0 + 1, y0), c = v(x0, y0 + 1), d = v(x0 + 1, y0 + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double fbm(double x, double y, uint32_t seed, int period, int octaves)
{
    double total = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; i++) {
        total += amp * noise(x, y, seed + i, period);
        norm += amp;
        x *= 2, y *= 2, period *= 2, amp *= 0.5;
    }
    return total / norm;
}

}  // namespace art
