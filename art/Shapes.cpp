// Shapes.cpp -- supersampled shapes and the polygon distance the ship's hull is drawn with.
#include "Shapes.h"

#include <cmath>

namespace art {

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

Image renderSprite(int w, int h, const Shader& shade, int samples)
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

}  // namespace art
