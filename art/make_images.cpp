// make_images.cpp -- draws every picture the game reads, and its desktop icons, from fixed seeds.
// Usage: make_images ROOT   writes ROOT/data/*.bmp, ROOT/data/a1/c1..c7.bmp, ROOT/icons/driftrock-N.png
//        (N 48, 64, 128 for the desktop, 192, 512 and maskable-512, 180 for the web page),
//        ROOT/icons/driftrock.ico (Windows), ROOT/icons/driftrock-preview.png (a shared link's picture) and
//        ROOT/icons/installer-side.bmp and installer-header.bmp (the Windows installer's pages).
// Its PNG files are libpng's. Sprites are drawn supersampled: a pixel is opaque where the shape covers at least
// half of it, and exact magenta (255, 0, 255) elsewhere; no opaque pixel comes near magenta.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Files.h"
#include "GamePictures.h"
#include "Showcase.h"

using namespace art;

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
