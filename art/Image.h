// Image.h -- the generator's picture: opaque colours or the transparent key (exact magenta), top row
// first; and the colour arithmetic its painters use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

struct Colour {
    double r = 0, g = 0, b = 0;
};

inline Colour rgb(double r, double g, double b) { return Colour{r, g, b}; }
inline Colour mix(Colour a, Colour b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Colour scale(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }
inline Colour add(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
inline double smooth(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline uint8_t byte(double v) { return (uint8_t)(v <= 0 ? 0 : v >= 255 ? 255 : (int)(v + 0.5)); }

// An image of opaque colours or the transparent key.
struct Image {
    int w, h;
    std::vector<uint8_t> rgb;  // top row first
    Image(int w_, int h_) : w(w_), h(h_), rgb((size_t)w_ * h_ * 3) {}
    void set(int x, int y, Colour c)
    {
        uint8_t r = byte(c.r), g = byte(c.g), b = byte(c.b);
        if (r > 200 && b > 200 && g < 64) g = 64;  // keep well clear of the key
        uint8_t* p = &rgb[((size_t)y * w + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    }
    void key(int x, int y)
    {
        uint8_t* p = &rgb[((size_t)y * w + x) * 3];
        p[0] = 255, p[1] = 0, p[2] = 255;
    }
};

// The colour of a picture at (u, v) in 0 .. 1, unless that is outside it or transparent.
bool sample(const Image& img, double u, double v, Colour& c);

}  // namespace art
