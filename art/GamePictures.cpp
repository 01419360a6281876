// GamePictures.cpp -- how each of the game's pictures is painted, from fixed seeds.
#include "GamePictures.h"

#include <cmath>

#include "Noise.h"
#include "Shapes.h"

namespace art {

Image starfield(int size)
{
    std::vector<Colour> sky((size_t)size * size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double u = (double)x / size * 4, v = (double)y / size * 4;
            double n = fbm(u, v, 11, 4, 5), m = fbm(u + 1.7, v + 2.3, 23, 4, 4);
            double t = std::pow(clamp01((n - 0.46) * 2.4), 1.6), q = std::pow(clamp01((m - 0.5) * 2.2), 1.8);
            double fy = (double)y / size;
            Colour c = rgb(3 + 4 * fy, 4 + 3 * fy, 12 + 8 * fy);
            c = add(c, scale(rgb(80, 30, 120), t));   // violet veil
            c = add(c, scale(rgb(20, 70, 110), q));   // blue-green veil
            c = add(c, scale(rgb(60, 25, 40), t * q));
            sky[(size_t)y * size + x] = c;
        }
    const Colour tints[] = {rgb(255, 255, 255), rgb(200, 220, 255), rgb(255, 240, 210), rgb(255, 215, 180),
                            rgb(170, 195, 255)};
    auto star = [&](double cx, double cy, double radius, double bright, Colour tint, bool spikes) {
        int r = (int)(radius * 4) + 2 + (spikes ? 10 : 0);
        for (int y = (int)cy - r; y <= (int)cy + r; y++)
            for (int x = (int)cx - r; x <= (int)cx + r; x++) {
                double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                double a = bright * std::exp(-(dx * dx + dy * dy) / (2 * radius * radius));
                if (spikes) a += bright * 0.5 * std::exp(-std::fabs(dx) * 0.35 - dy * dy * 2) +
                                 bright * 0.5 * std::exp(-std::fabs(dy) * 0.35 - dx * dx * 2);
                if (a < 0.004) continue;
                Colour& p = sky[(size_t)((y + size) % size) * size + (x + size) % size];
                p = add(p, scale(tint, a));
            }
    };
    uint32_t s = 0;
    auto next = [&s]() { return unit(s++, 0, 1987); };
    for (int i = 0; i < 1600; i++) star(next() * size, next() * size, 0.45 + next() * 0.25, 0.2 + next() * 0.45, tints[(int)(next() * 5)], false);
    for (int i = 0; i < 180; i++) star(next() * size, next() * size, 0.75 + next() * 0.35, 0.55 + next() * 0.45, tints[(int)(next() * 5)], false);
    for (int i = 0; i < 16; i++) {
        double x = next() * size, y = next() * size;
        Colour tint = tints[(int)(next() * 5)];
        star(x, y, 1.2, 1.0, tint, true);
        star(x, y, 4.5, 0.10, tint, false);
    }
    Image img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) img.set(x, y, sky[(size_t)y * size + x]);
    return img;
}

// A swept fighter, nose at the top: bevelled metal hull, canopy, wing stripes, twin engines.
Image ship(int size)
{
    const std::vector<std::pair<double, double>> hull = {
        {0.5, 0.03}, {0.56, 0.18}, {0.6, 0.4}, {0.93, 0.78}, {0.93, 0.86}, {0.66, 0.82}, {0.62, 0.93},
        {0.38, 0.93}, {0.34, 0.82}, {0.07, 0.86}, {0.07, 0.78}, {0.4, 0.4}, {0.44, 0.18}};
    return renderSprite(size, size, [&](double u, double v, Colour& c) {
        double nx = 0, ny = 0;
        double d = polygonDistance(hull, u, v, &nx, &ny);
        if (d > 0) return false;
        double depth = -d * size;  // pixels in from the edge
        double side = std::fabs(u - 0.5);
        Colour metal = mix(rgb(200, 208, 222), rgb(120, 130, 150), clamp01(side * 2.2));
        if (side > 0.3 && v > 0.74 && v < 0.79) metal = rgb(225, 90, 40);  // wing-tip stripes
        if (side < 0.018 && v > 0.45 && v < 0.8) metal = rgb(225, 90, 40);  // spine stripe
        // Bevel: edges facing the light (upper left) bright, the others dark.
        double facing = -(nx * -0.6 + ny * -0.8);
        double bevel = smooth(4.0, 0.0, depth) * facing * 0.45;
        double light = 0.82 + 0.25 * (0.5 - u) - 0.15 * v - bevel;
        c = scale(metal, light);
        // Canopy.
        double cu = (u - 0.5) / 0.055, cv = (v - 0.36) / 0.12;
        if (cu * cu + cv * cv < 1) {
            double glint = std::exp(-((u - 0.48) * (u - 0.48) + (v - 0.31) * (v - 0.31)) * 900);
            c = add(mix(rgb(20, 60, 120), rgb(60, 170, 235), 1 - (cu * cu + cv * cv)), scale(rgb(200, 230, 255), glint));
        }
        // Engines: dark nozzles with a hot core.
        for (double ex : {0.44, 0.56}) {
            double eu = (u - ex) / 0.04, ev = (v - 0.9) / 0.045;
            if (eu * eu + ev * ev < 1) c = mix(rgb(255, 200, 90), rgb(60, 40, 40), std::sqrt(eu * eu + ev * ev));
        }
        if (depth < 1.2) c = scale(c, 0.55);  // a dark rim keeps the filtered edge from glowing pink
        return true;
    });
}

Image ball(int size)
{
    return renderSprite(size, size, [](double u, double v, Colour& c) {
        double t = std::hypot(u - 0.5, v - 0.5) / 0.46;
        if (t > 1) return false;
        if (t < 0.3)
            c = mix(rgb(255, 255, 240), rgb(255, 225, 120), t / 0.3);
        else if (t < 0.65)
            c = mix(rgb(255, 225, 120), rgb(255, 120, 30), (t - 0.3) / 0.35);
        else
            c = mix(rgb(255, 120, 30), rgb(140, 30, 10), (t - 0.65) / 0.35);
        return true;
    });
}

Image bullet(int w, int h)
{
    return renderSprite(w, h, [](double u, double v, Colour& c) {
        double along = std::fabs(v - 0.5) / 0.48;
        if (along >= 1) return false;
        double half = 0.44 * std::sqrt(1 - along * along * along);
        double across = std::fabs(u - 0.5) / half;
        if (across > 1) return false;
        c = mix(rgb(240, 255, 235), rgb(30, 170, 60), across * across);
        if (v < 0.35) c = mix(c, rgb(255, 255, 255), (0.35 - v) * 1.5);  // the leading tip burns hottest
        return true;
    }, 6);
}

// A round, rough rock lit from the upper left: a lumpy outline, craters with raised rims, grain.
Image asteroid(int size)
{
    const double bumps[][3] = {{0.018, 3, 0.7}, {0.014, 5, 2.1}, {0.010, 7, 4.0}, {0.008, 11, 1.3}, {0.006, 17, 5.2}};
    const double craters[][3] = {{0.36, 0.38, 0.085}, {0.62, 0.33, 0.06}, {0.58, 0.64, 0.1},
                                 {0.33, 0.66, 0.05}, {0.47, 0.5, 0.04},  {0.7, 0.5, 0.045}};
    auto radius = [&](double a) {
        double r = 0.44;
        for (auto& b : bumps) r += b[0] * std::sin(b[1] * a + b[2]);
        return r;
    };
    auto height = [&](double u, double v) {
        double h = fbm(u * 5, v * 5, 77, 5, 4) * 0.5;
        for (auto& cr : craters) {
            double d = std::hypot(u - cr[0], v - cr[1]) / cr[2];
            if (d < 1)
                h -= 0.35 * (1 - d * d);
            else if (d < 1.35)
                h += 0.18 * (1.35 - d) / 0.35;
        }
        return h;
    };
    return renderSprite(size, size, [&](double u, double v, Colour& c) {
        double dx = u - 0.5, dy = v - 0.5, d = std::hypot(dx, dy), r = radius(std::atan2(dy, dx));
        if (d > r) return false;
        double z = std::sqrt(std::max(0.0, 1 - (d / r) * (d / r)));
        const double e = 0.004;
        double gx = (height(u + e, v) - height(u - e, v)) / (2 * e) * 0.03;
        double gy = (height(u, v + e) - height(u, v - e)) / (2 * e) * 0.03;
        double nx = dx / r - gx, ny = dy / r - gy, nz = z + 0.15;
        double n = std::sqrt(nx * nx + ny * ny + nz * nz);
        double lambert = std::max(0.0, (nx * -0.5 + ny * -0.6 + nz * 0.62) / n);
        double grain = 0.86 + 0.28 * noise(u * 48, v * 48, 91, 48);
        double k = (0.16 + 0.95 * lambert) * grain;
        c = scale(mix(rgb(160, 138, 112), rgb(120, 112, 104), fbm(u * 3, v * 3, 5, 3, 3)), k);
        if ((r - d) * size < 1.3) c = scale(c, 0.6);
        return true;
    }, 3);
}

// A sighting reticle whose top is a bold arrowhead (the end that faces the ship); a light chases round
// the ring and the arrowhead pulses, one loop over the seven frames.
Image cursorFrame(int index, int frames, int size)
{
    const double pi = 3.14159265358979323846;
    double phase = 2 * pi * index / frames;
    return renderSprite(size, size, [&](double u, double v, Colour& c) {
        double x = u - 0.5, y = v - 0.5, d = std::hypot(x, y);
        double pulse = 0.8 + 0.2 * std::cos(phase);
        const Colour bright = rgb(200, 255, 120), edge = rgb(40, 120, 50);
        // A bold arrowhead above the ring, its tip at the top edge.
        if (y > -0.49 && y < -0.24) {
            double half = (y + 0.49) * 0.75, a = std::fabs(x);
            if (a < half) {
                c = a > half - 0.03 ? edge : mix(scale(bright, pulse), rgb(255, 255, 230), 0.35 * pulse);
                return true;
            }
        }
        double a = std::atan2(x, -y);  // 0 at the top, clockwise
        if (d > 0.17 && d < 0.31) {
            double gap = std::fabs(std::remainder(a - pi / 4, pi / 2));  // four gaps at the diagonals
            if (gap < 0.2) return false;
            if (d < 0.19 || d > 0.29) {
                c = edge;
                return true;
            }
            double chase = 0.5 + 0.5 * std::cos(a - phase);
            c = mix(rgb(70, 200, 100), rgb(240, 255, 200), std::pow(chase, 3));
            return true;
        }
        if (d < 0.08) {
            c = mix(rgb(255, 255, 235), bright, d / 0.08);
            return true;
        }
        return false;
    });
}

}  // namespace art
