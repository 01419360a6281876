// Showcase.h -- the pictures around the game, painted from the game's own: its icons, the picture a
// shared link shows, and the Windows installer's pages.
#pragma once

#include <cstdint>
#include <vector>

#include "Image.h"

namespace art {

// The desktop icon: a dark rounded badge with stars, a rock, and the ship climbing past it. RGBA.
// `fullBleed`: the sky fills the whole square and the rock and ship shrink into the middle circle of
// 0.4 of the side's radius, with the stars, for a home screen that cuts its own shape (a web app's
// maskable icon, an iPhone's); outside that circle there is only sky.
std::vector<uint8_t> icon(int size, bool fullBleed = false);
// The picture a shared link shows (600 x 315): the ship thrusting past rocks of every size, firing.
Image preview();
// The installer's welcome and finish pages' side picture (164 x 314), and its header picture (150 x 57).
Image installerSide();
Image installerHeader();

}  // namespace art
