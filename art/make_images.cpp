// make_images.cpp -- draws every picture the game reads, and its desktop icons, from fixed seeds.
// Usage: make_images ROOT   writes ROOT/data/*.bmp, ROOT/data/a1/c1..c7.bmp, ROOT/icons/driftrock-N.png
//        (N 48, 64, 128 for the desktop, 192, 512 and maskable-512, 180 for the web page),
//        ROOT/icons/driftrock.ico (Windows), ROOT/icons/driftrock-preview.png (a shared link's picture) and
//        ROOT/icons/installer-side.bmp and installer-header.bmp (the Windows installer's pages).
// Its PNG files are libpng's. Sprites are drawn supersampled: a pixel is opaque where the shape covers at least
// half of it, and exact magenta (255, 0, 255) elsewhere; no opaque pixel comes near magenta.
#include <sys/stat.h>

#include <algorithm>
#include <csetjmp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <png.h>

namespace {

struct Colour {
    double r = 0, g = 0, b = 0;
};

Colour rgb(double r, double g, double b) { return Colour{r, g, b}; }
Colour mix(Colour a, Colour b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Colour scale(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }
Colour add(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double smooth(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
uint8_t byte(double v) { return (uint8_t)(v <= 0 ? 0 : v >= 255 ? 255 : (int)(v + 0.5)); }

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

// Integer hash and smooth value noise on a wrapping lattice: the same numbers on every machine.
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

// shade(u, v, colour) -> whether (u, v) in 0 ... 1 (v down the image) is inside the shape.
using Shader = std::function<bool(double, double, Colour&)>;

// Samples pixel (x, y) of a w x h picture at samples x samples points; returns how many hit the
// shape and leaves their mean colour in `mean`.
int supersample(int x, int y, int w, int h, const Shader& shade, int samples, Colour& mean)
{
    Colour sum;
    int hits = 0;
    for (int sy = 0; sy < samples; sy++)
        for (int sx = 0; sx < samples; sx++) {
            Colour c;
            if (shade((x + (sx + 0.5) / samples) / w, (y + (sy + 0.5) / samples) / h, c)) {
                sum = add(sum, c);
                hits++;
            }
        }
    if (hits) mean = scale(sum, 1.0 / hits);
    return hits;
}

Image renderSprite(int w, int h, const Shader& shade, int samples = 4)
{
    Image img(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Colour mean;
            if (supersample(x, y, w, h, shade, samples, mean) * 2 >= samples * samples)
                img.set(x, y, mean);
            else
                img.key(x, y);
        }
    return img;
}

// Distance from (u, v) to the polygon's boundary, negative inside; `edge` gets the nearest edge's
// outward normal.
double polygonDistance(const std::vector<std::pair<double, double>>& pts, double u, double v, double* nx, double* ny)
{
    double best = 1e9;
    bool inside = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
        double xi = pts[i].first, yi = pts[i].second, xj = pts[j].first, yj = pts[j].second;
        if ((yi > v) != (yj > v) && u < (xj - xi) * (v - yi) / (yj - yi) + xi) inside = !inside;
        double ex = xi - xj, ey = yi - yj, len2 = ex * ex + ey * ey;
        double t = clamp01(((u - xj) * ex + (v - yj) * ey) / len2);
        double dx = u - (xj + t * ex), dy = v - (yj + t * ey), d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
            best = d;
            double len = std::sqrt(len2);
            if (nx) *nx = ey / len, *ny = -ex / len;
        }
    }
    return inside ? -best : best;
}

// --- the pictures ---------------------------------------------------------------------------------

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

// The colour of a picture at (u, v) in 0 .. 1, unless that is outside it or transparent.
bool sample(const Image& img, double u, double v, Colour& c)
{
    if (u < 0 || v < 0 || u >= 1 || v >= 1) return false;
    const uint8_t* p = &img.rgb[(((size_t)(v * img.h)) * img.w + (size_t)(u * img.w)) * 3];
    if (p[0] == 255 && p[1] == 0 && p[2] == 255) return false;
    c = rgb(p[0], p[1], p[2]);
    return true;
}

// The desktop icon: a dark rounded badge with stars, a rock, and the ship climbing past it. RGBA.
// `fullBleed`: the sky fills the whole square and the rock and ship shrink into the middle circle of
// 0.4 of the side's radius, with the stars, for a home screen that cuts its own shape (a web app's
// maskable icon, an iPhone's); outside that circle there is only sky.
std::vector<uint8_t> icon(int size, bool fullBleed = false)
{
    Image shipImg = ship(128), rockImg = asteroid(128);
    std::vector<uint8_t> out((size_t)size * size * 4);
    const int n = 4;
    const double shrink = fullBleed ? 0.78 : 1.0;
    const Shader badge = [&](double u, double v, Colour& c) {
        double qx = std::max(std::fabs(u - 0.5) - 0.32, 0.0), qy = std::max(std::fabs(v - 0.5) - 0.32, 0.0);
        if (!fullBleed && std::hypot(qx, qy) > 0.15) return false;  // rounded square
        c = mix(rgb(10, 14, 40), rgb(40, 20, 70), v);
        // A star in some of the cells of a 40 x 40 grid: a round dot at the cell's centre.
        double cellU = std::floor(u * 40), cellV = std::floor(v * 40), st = unit((uint32_t)cellU, (uint32_t)cellV, 3);
        bool dot = std::hypot(u - (cellU + 0.5) / 40, v - (cellV + 0.5) / 40) < 0.0075;
        bool safe = !fullBleed || std::hypot(u - 0.5, v - 0.5) < 0.38;
        if (st > 0.93 && dot && safe) c = add(c, scale(rgb(255, 255, 255), 0.5 + 0.5 * (st - 0.93) / 0.07));
        u = 0.5 + (u - 0.5) / shrink, v = 0.5 + (v - 0.5) / shrink;
        Colour s;
        if (sample(rockImg, (u - 0.12) / 0.42, (v - 0.47) / 0.42, s)) c = s;
        // The ship, turned 35 degrees clockwise, climbing to the upper right.
        double cx = u - 0.56, cy = v - 0.44, ca = std::cos(-0.61), sa = std::sin(-0.61);
        double ru = (cx * ca - cy * sa) / 0.5 + 0.5, rv = (cx * sa + cy * ca) / 0.5 + 0.5;
        if (sample(shipImg, ru, rv, s)) c = s;
        return true;
    };
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            Colour c;
            int cover = supersample(x, y, size, size, badge, n, c);
            uint8_t* p = &out[((size_t)y * size + x) * 4];
            p[0] = cover ? byte(c.r) : 0, p[1] = cover ? byte(c.g) : 0, p[2] = cover ? byte(c.b) : 0;
            p[3] = byte(255.0 * cover / (n * n));
        }
    return out;
}

// A moment of play for the pictures around the game (the link preview, the installer's pages): the
// starfield seen from (sx, sy) at `zoom` starfield pixels a pixel, and the game's own sprites placed
// on it in order, each at its centre, width, height and angle (degrees clockwise), in the scene's pixels.
struct Placed {
    const Image* img;
    double x, y, w, h, angle;
};

// The game's own sprites at the sizes it reads them, drawn once for every scene.
struct Art {
    Image craft = ship(128), rock = asteroid(128), exhaust = ball(32), shot = bullet(8, 32);
};
const Art& art()
{
    static const Art drawn;
    return drawn;
}

Image scene(int w, int h, double sx, double sy, double zoom, const std::vector<Placed>& sprites)
{
    static const Image sky = starfield(1024);
    Image out(w, h);
    const int n = 3;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Colour sum;
            for (int j = 0; j < n; j++)
                for (int i = 0; i < n; i++) {
                    double px = x + (i + 0.5) / n, py = y + (j + 0.5) / n;
                    Colour c;
                    sample(sky, std::fmod(sx + px * zoom, 1024.0) / 1024, std::fmod(sy + py * zoom, 1024.0) / 1024, c);
                    for (const Placed& p : sprites) {
                        double a = p.angle * M_PI / 180, dx = px - p.x, dy = py - p.y;
                        double u = (dx * std::cos(a) + dy * std::sin(a)) / p.w + 0.5;
                        double v = (-dx * std::sin(a) + dy * std::cos(a)) / p.h + 0.5;
                        sample(*p.img, u, v, c);
                    }
                    sum = add(sum, scale(c, 1.0 / (n * n)));
                }
            out.set(x, y, sum);
        }
    return out;
}

// The picture a shared link shows: the ship thrusting past rocks of every size, firing. RGB.
Image preview()
{
    const Art& a = art();
    std::vector<Placed> s = {{&a.rock, 470, 95, 150, 150, 20}, {&a.rock, 520, 250, 90, 90, 200},
                             {&a.rock, 405, 215, 55, 55, 95}, {&a.rock, 95, 70, 70, 70, 300}, {&a.rock, 560, 30, 40, 40, 45}};
    for (int i = 0; i < 6; i++) s.push_back({&a.exhaust, 190.0 - 22 * i, 215.0 + 14 * i, 20.0 - 2 * i, 20.0 - 2 * i, 0});
    s.push_back({&a.craft, 232, 185, 84, 84, 58});
    s.push_back({&a.shot, 318, 132, 7, 26, 58});
    s.push_back({&a.shot, 360, 106, 7, 26, 58});
    return scene(600, 315, 180, 300, 1.2, s);
}

// The installer's welcome and finish pages' side picture (164 x 314): the ship climbing out of a field
// of rocks, trailing exhaust; and its header picture (150 x 57): the ship firing at a rock.
Image installerSide()
{
    const Art& a = art();
    std::vector<Placed> s = {{&a.rock, 30, 290, 90, 90, 10}, {&a.rock, 135, 262, 64, 64, 140},
                             {&a.rock, 118, 40, 44, 44, 250}, {&a.rock, 20, 150, 30, 30, 80}};
    for (int i = 0; i < 6; i++) s.push_back({&a.exhaust, 74.0 + 4 * i, 200.0 + 17 * i, 16.0 - 1.6 * i, 16.0 - 1.6 * i, 0});
    s.push_back({&a.craft, 70, 160, 64, 64, -12});
    s.push_back({&a.shot, 62, 96, 6, 22, -12});
    s.push_back({&a.shot, 56, 62, 6, 22, -12});
    return scene(164, 314, 600, 120, 1.0, s);
}

Image installerHeader()
{
    const Art& a = art();
    return scene(150, 57, 300, 700, 1.0, {{&a.craft, 34, 31, 40, 40, 90}, {&a.shot, 72, 31, 5, 16, 90},
                                           {&a.rock, 122, 28, 44, 44, 30}});
}

// --- file formats ---------------------------------------------------------------------------------

void put(std::vector<uint8_t>& out, uint32_t v, int bytes, bool big = false)
{
    for (int i = 0; i < bytes; i++) out.push_back((uint8_t)(v >> (8 * (big ? bytes - 1 - i : i))));
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// Uncompressed, bottom-up, 24-bit: what SDL 1.2 loads on every platform.
bool writeBmp(const std::string& path, const Image& img)
{
    uint32_t stride = (uint32_t)(img.w * 3 + 3) & ~3u, size = stride * img.h;
    std::vector<uint8_t> out;
    put(out, 'B' | 'M' << 8, 2);
    for (uint32_t v : {54 + size, 0u, 54u, 40u, (uint32_t)img.w, (uint32_t)img.h}) put(out, v, 4);
    put(out, 1, 2);
    put(out, 24, 2);
    for (uint32_t v : {0u, size, 2835u, 2835u, 0u, 0u}) put(out, v, 4);
    for (int y = img.h - 1; y >= 0; y--) {
        for (int x = 0; x < img.w; x++) {
            const uint8_t* p = &img.rgb[((size_t)y * img.w + x) * 3];
            out.push_back(p[2]), out.push_back(p[1]), out.push_back(p[0]);
        }
        for (uint32_t i = img.w * 3; i < stride; i++) out.push_back(0);
    }
    return writeFile(path, out);
}

// RGBA (or RGB) PNG, by libpng: each row with the filter that libpng finds leaves the smallest
// differences, and zlib's tightest setting.
std::vector<uint8_t> png(int w, int h, const std::vector<uint8_t>& rgba, int channels = 4)
{
    std::vector<uint8_t> out;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {  // libpng failed (out of memory): no picture
        png_destroy_write_struct(&writer, &info);
        return {};
    }
    png_set_write_fn(
        writer, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(writer, info, w, h, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(writer, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(writer, 9);
    png_set_compression_mem_level(writer, 9);
    png_write_info(writer, info);
    for (int y = 0; y < h; y++) png_write_row(writer, &rgba[(size_t)y * w * channels]);
    png_write_end(writer, info);
    png_destroy_write_struct(&writer, &info);
    return out;
}

// A Windows icon with one image per size: 32-bit bottom-up BGRA bitmaps with their AND masks (what
// every Windows and wine reads), the 256-pixel one as PNG, as Windows keeps its largest.
bool writeIco(const std::string& path, const std::vector<int>& sizes)
{
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) {
        std::vector<uint8_t> rgba = icon(s), dib;
        if (s >= 256) {
            images.push_back(png(s, s, rgba));
            continue;
        }
        uint32_t maskStride = (uint32_t)((s + 31) / 32 * 4);
        for (uint32_t v : {40u, (uint32_t)s, 2u * s}) put(dib, v, 4);  // both halves: colour and mask
        put(dib, 1, 2);
        put(dib, 32, 2);
        for (uint32_t v : {0u, 0u, 0u, 0u, 0u, 0u}) put(dib, v, 4);
        for (int y = s - 1; y >= 0; y--)
            for (int x = 0; x < s; x++) {
                const uint8_t* p = &rgba[((size_t)y * s + x) * 4];
                for (int c : {2, 1, 0, 3}) dib.push_back(p[c]);
            }
        for (int y = s - 1; y >= 0; y--) {  // the AND mask: set where fully transparent
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < s; x++)
                if (rgba[((size_t)y * s + x) * 4 + 3] == 0) row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
            dib.insert(dib.end(), row.begin(), row.end());
        }
        images.push_back(dib);
    }
    std::vector<uint8_t> out;
    put(out, 0, 2);
    put(out, 1, 2);  // an icon, not a cursor
    put(out, (uint32_t)sizes.size(), 2);
    uint32_t at = 6 + 16 * (uint32_t)sizes.size();
    for (size_t i = 0; i < sizes.size(); i++) {
        out.push_back((uint8_t)sizes[i]), out.push_back((uint8_t)sizes[i]);  // 256 is written as 0
        out.push_back(0), out.push_back(0);
        put(out, 1, 2);
        put(out, 32, 2);
        put(out, (uint32_t)images[i].size(), 4);
        put(out, at, 4);
        at += (uint32_t)images[i].size();
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return writeFile(path, out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_images ROOT   (writes ROOT/data and ROOT/icons)\n");
        return 2;
    }
    std::string root = argv[1];
    for (const char* d : {"/data", "/data/a1", "/icons"}) mkdir((root + d).c_str(), 0755);
    bool ok = writeBmp(root + "/data/starfield.bmp", starfield(1024)) &&
              writeBmp(root + "/data/aimage.bmp", ship(128)) && writeBmp(root + "/data/ball2.bmp", ball(32)) &&
              writeBmp(root + "/data/green.bmp", bullet(8, 32)) &&
              writeBmp(root + "/data/asteroid.bmp", asteroid(128));
    for (int i = 0; ok && i < 7; i++)
        ok = writeBmp(root + "/data/a1/c" + std::to_string(i + 1) + ".bmp", cursorFrame(i, 7, 64));
    for (int s : {48, 64, 128})
        ok = ok && writeFile(root + "/icons/driftrock-" + std::to_string(s) + ".png", png(s, s, icon(s)));
    ok = ok && writeIco(root + "/icons/driftrock.ico", {16, 24, 32, 48, 64, 256});
    // The web page's icons: for a browser's tab and an installed app, and full-bleed for home screens
    // that cut their own shape (maskable; Apple's touch icon, 180 pixels).
    for (int s : {192, 512})
        ok = ok && writeFile(root + "/icons/driftrock-" + std::to_string(s) + ".png", png(s, s, icon(s)));
    ok = ok && writeFile(root + "/icons/driftrock-maskable-512.png", png(512, 512, icon(512, true)));
    ok = ok && writeFile(root + "/icons/driftrock-180.png", png(180, 180, icon(180, true)));
    // A shared link's picture, its channels in steps of 4 (which the eye cannot tell from the full
    // picture) so that it packs into less than 100 KB.
    std::vector<uint8_t> preview4 = preview().rgb;
    for (uint8_t& v : preview4) v = (uint8_t)std::min(255, (v + 2) / 4 * 4);
    ok = ok && writeFile(root + "/icons/driftrock-preview.png", png(600, 315, preview4, 3));
    ok = ok && writeBmp(root + "/icons/installer-side.bmp", installerSide()) &&
         writeBmp(root + "/icons/installer-header.bmp", installerHeader());
    if (!ok) {
        fprintf(stderr, "make_images: cannot write under %s\n", root.c_str());
        return 1;
    }
    return 0;
}
