// Shapes.h -- painting a shape into a picture: a shader says, point by point, whether the shape covers
// it and in what colour; a pixel is opaque where the shape covers at least half of it.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "Image.h"

namespace art {

// shade(u, v, colour) -> whether (u, v) in 0 ... 1 (v down the image) is inside the shape.
using Shader = std::function<bool(double, double, Colour&)>;

// Samples pixel (x, y) of a w x h picture at samples x samples points; returns how many hit the
// shape and leaves their mean colour in `mean`.
int supersample(int x, int y, int w, int h, const Shader& shade, int samples, Colour& mean);
// A w x h sprite: the shape's colours, the key elsewhere.
Image renderSprite(int w, int h, const Shader& shade, int samples = 4);
// Distance from (u, v) to the polygon's boundary, negative inside; (nx, ny), if given, gets the nearest
// edge's outward normal.
double polygonDistance(const std::vector<std::pair<double, double>>& pts, double u, double v, double* nx, double* ny);

}  // namespace art
