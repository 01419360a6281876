// Showcase.cpp -- the icons, the link preview and the installer's pictures: scenes of play composed
// from the game's own sprites over its starfield.
#include "Showcase.h"

#include <cmath>

#include "GamePictures.h"
#include "Noise.h"
#include "Shapes.h"

namespace art {

// The desktop icon: a dark rounded badge with stars, a rock, and the ship climbing past it. RGBA.
// `fullBleed`: the sky fills the whole square and the rock and ship shrink into the middle circle of
// 0.4 of the side's radius, with the stars, for a home screen that cuts its own shape (a web app's
// maskable icon, an iPhone's); outside that circle there is only sky.
std::vector<uint8_t> icon(int size, bool fullBleed)
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

namespace {

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

}  // namespace

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

}  // namespace art
