// GamePictures.h -- the pictures the game reads (data/): the starfield, the ship, its exhaust ball, the
// bullet, the rock and the cursor's frames, each at the size the game loads it.
#pragma once

#include "Image.h"

namespace art {

Image starfield(int size);
Image ship(int size);
Image ball(int size);
Image bullet(int w, int h);
Image asteroid(int size);
Image cursorFrame(int index, int frames, int size);

}  // namespace art
