// Trace.cpp -- trace lines, the state digest, and the first-difference report.
#include "Trace.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "KeyScript.h"
#include "objects/World.h"

static uint32_t bitsOf(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

namespace {
struct Line {
    std::string s;
    void group(const char* name, int index = -1)
    {
        s += " | ";
        s += name;
        if (index >= 0) s += "[" + std::to_string(index) + "]";
    }
    void f(const char* name, float v)
    {
        char buf[64];
        snprintf(buf, sizeof buf, " %s=%.9g#%08x", name, v, bitsOf(v));
        s += buf;
    }
    void i(const char* name, long v) { s += " " + std::string(name) + "=" + std::to_string(v); }
    void sprite(const Sprite& o)
    {
        f("x", o.x);
        f("y", o.y);
        f("angle", o.angle);
        f("w", o.w);
        f("h", o.h);
    }
};
}  // namespace

std::string traceLine(const Game& g, long frame, unsigned keys)
{
    Line l;
    char head[64];
    snprintf(head, sizeof head, "f=%ld keys=%s rng=%08x", frame, keyNames(keys).c_str(), rand15State());
    l.s = head;
    l.group("ship");
    l.sprite(g.ship);
    l.f("vx", g.ship.vx);
    l.f("vy", g.ship.vy);
    l.f("spin", g.ship.spin);
    l.group("vars");
    l.i("done", g.done);
    l.i("nextBall", g.nextBall);
    l.i("ballToggle", g.ballToggle);
    l.i("spacebar", g.spacebar);
    l.i("shipHit", g.shipHit);
    l.i("wave", g.wave);
    l.i("mouseX", g.mouseX);
    l.i("mouseY", g.mouseY);
    l.group("cursor");
    l.f("x", g.cursor.x);
    l.f("y", g.cursor.y);
    l.f("angle", g.cursor.angle);
    l.i("frame", g.cursor.frame);
    l.i("countdown", g.cursor.countdown);
    auto mover = [&l](const char* kind, int k, const Sprite& s, float vx, float vy) {
        l.group(kind, k);
        l.sprite(s);
        l.f("vx", vx);
        l.f("vy", vy);
    };
    for (int k = 0; k < 100; k++)
        if (g.rocks[k].alive) mover("rock", k, g.rocks[k], g.rocks[k].vx, g.rocks[k].vy);
    for (int k = 0; k < 10; k++)
        if (g.bullets[k].alive) mover("bullet", k, g.bullets[k], g.bullets[k].vx, g.bullets[k].vy), l.i("life", g.bullets[k].life);
    for (int k = 0; k < 20; k++)
        if (g.balls[k].alive) mover("ball", k, g.balls[k], g.balls[k].vx, g.balls[k].vy), l.i("life", g.balls[k].life);
    return l.s;
}

uint64_t digestFrame(const Game& g, uint64_t h)
{
    auto mix = [&h](uint32_t v) {
        for (int i = 0; i < 4; i++) h = (h ^ ((v >> (8 * i)) & 0xff)) * 1099511628211ull;
    };
    auto sprite = [&](const Sprite& s) {
        for (float v : {s.x, s.y, s.angle, s.w, s.h}) mix(bitsOf(v));
    };
    for (const Ball& b : g.balls) {
        sprite(b);
        mix(bitsOf(b.vx)), mix(bitsOf(b.vy)), mix(b.alive), mix((uint32_t)b.life);
    }
    for (const Bullet& b : g.bullets) {
        sprite(b);
        mix(bitsOf(b.vx)), mix(bitsOf(b.vy)), mix((uint32_t)b.life), mix(b.alive);
    }
    for (const Rock& r : g.rocks) {
        sprite(r);
        mix(bitsOf(r.vx)), mix(bitsOf(r.vy)), mix(r.alive);
    }
    sprite(g.ship);
    mix(bitsOf(g.ship.vx)), mix(bitsOf(g.ship.vy)), mix(bitsOf(g.ship.spin));
    for (float v : {g.cursor.x, g.cursor.y, g.cursor.angle}) mix(bitsOf(v));
    for (int v : {g.cursor.frame, g.cursor.countdown, g.done, g.nextBall, (int)g.ballToggle, (int)g.spacebar,
                  (int)g.shipHit, g.wave, g.mouseX, g.mouseY})
        mix((uint32_t)v);
    mix(rand15State());
    return h;
}

// The line as (group, field, value) triples.
struct Field {
    std::string group, name, value;
};

static std::vector<Field> fields(const std::string& line)
{
    std::vector<Field> out;
    std::istringstream in(line);
    std::string token, group = "frame";
    while (in >> token) {
        if (token == "|") {
            in >> group;
            continue;
        }
        size_t eq = token.find('=');
        out.push_back({group, token.substr(0, eq), eq == std::string::npos ? "" : token.substr(eq + 1)});
    }
    return out;
}

static std::string decode(const std::string& v)
{
    size_t hash = v.find('#');
    return hash == std::string::npos ? v : v.substr(0, hash) + " (0x" + v.substr(hash + 1) + ")";
}

std::string traceDifference(const std::string& expected, const std::string& got)
{
    if (expected == got) return "";
    std::vector<Field> e = fields(expected), g = fields(got);
    std::string frame = e.empty() ? "?" : e[0].value;
    for (size_t k = 0; k < e.size() || k < g.size(); k++) {
        if (k >= e.size()) return "frame " + frame + ": unexpected " + g[k].group + " (" + g[k].name + "=" + decode(g[k].value) + ")";
        if (k >= g.size()) return "frame " + frame + ": missing " + e[k].group;
        if (e[k].group != g[k].group) return "frame " + frame + ": expected " + e[k].group + ", got " + g[k].group;
        if (e[k].name != g[k].name || e[k].value != g[k].value)
            return "frame " + frame + ": " + e[k].group + " " + e[k].name + ": expected " + decode(e[k].value) +
                   ", got " + decode(g[k].value);
    }
    return "frame " + frame + ": lines differ in spacing";
}

std::string traceField(const std::string& line, const std::string& group, const std::string& name)
{
    for (const Field& f : fields(line))
        if (f.group == group && f.name == name) return f.value;
    return "";
}
