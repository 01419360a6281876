// fuzz_sprite.cpp -- libFuzzer target: any bytes, saved as a picture file, through Sprite::load in a real
// OpenGL window. Nothing the game reads may crash it, leak, or leave a surface behind.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/Video.h"
#include "sprite/Sprite.h"

static std::string path;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (startVideo() != 0) std::exit(1);
    path = "/tmp/driftrock-fuzz-" + std::to_string(getpid()) + ".bmp";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) std::abort();
    fwrite(data, 1, size, f);
    fclose(f);
    Sprite s;
    s.load(path.c_str());
    if (s.image || s.surface) std::abort();
    // A long run would otherwise fill the GL heap; the game itself never deletes a texture.
    if (s.texture) glDeleteTextures(1, &s.texture);
    return 0;
}
