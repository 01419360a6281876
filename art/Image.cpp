// Image.cpp -- reading a picture back: its colour at a point.
#include "Image.h"

namespace art {

bool sample(const Image& img, double u, double v, Colour& c)
{
    if (u < 0 || v < 0 || u >= 1 || v >= 1) return false;
    const uint8_t* p = &img.rgb[(((size_t)(v * img.h)) * img.w + (size_t)(u * img.w)) * 3];
    if (p[0] == 255 && p[1] == 0 && p[2] == 255) return false;
    c = rgb(p[0], p[1], p[2]);
    return true;
}

}  // namespace art
