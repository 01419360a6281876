// Files.h -- the generator's file formats: 24-bit BMP (what the game reads), PNG (libpng) and the
// Windows icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

namespace art {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// A bottom-up 24-bit BMP of the picture.
bool writeBmp(const std::string& path, const Image& img);
// RGBA (or RGB, channels 3) PNG bytes.
std::vector<uint8_t> png(int w, int h, const std::vector<uint8_t>& rgba, int channels = 4);
// A Windows icon with one image per size.
bool writeIco(const std::string& path, const std::vector<int>& sizes);

}  // namespace art
