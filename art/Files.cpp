// Files.cpp -- writing BMP, PNG (by libpng, with zlib's tightest setting) and ICO files.
#include "Files.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "Showcase.h"

namespace art {

namespace {

// V in BYTES bytes, least significant first, as BMP and ICO headers hold their numbers.
void put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

}  // namespace

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// Uncompressed, bottom-up, 24-bit: what SDL 1.2 loads on every platform.
bool writeBmp(const std::string& path, const Image& img)
{
    uint32_t stride = (uint32_t)(img.w * 3 + 3) & ~3u, size = stride * img.h;
    std::vector<uint8_t> out;
    put(out, 'B' | 'M' << 8, 2);
    for (uint32_t v : {54 + size, 0u, 54u, 40u, (uint32_t)img.w, (uint32_t)img.h}) put(out, v, 4);
    put(out, 1, 2);
    put(out, 24, 2);
    for (uint32_t v : {0u, size, 2835u, 2835u, 0u, 0u}) put(out, v, 4);
    for (int y = img.h - 1; y >= 0; y--) {
        for (int x = 0; x < img.w; x++) {
            const uint8_t* p = &img.rgb[((size_t)y * img.w + x) * 3];
            out.push_back(p[2]), out.push_back(p[1]), out.push_back(p[0]);
        }
        for (uint32_t i = img.w * 3; i < stride; i++) out.push_back(0);
    }
    return writeFile(path, out);
}

// RGBA (or RGB) PNG, by libpng: each row with the filter that libpng finds leaves the smallest
// differences, and zlib's tightest setting.
std::vector<uint8_t> png(int w, int h, const std::vector<uint8_t>& rgba, int channels)
{
    std::vector<uint8_t> out;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {  // libpng failed (out of memory): no picture
        png_destroy_write_struct(&writer, &info);
        return {};
    }
    png_set_write_fn(
        writer, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(writer, info, w, h, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(writer, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(writer, 9);
    png_set_compression_mem_level(writer, 9);
    png_write_info(writer, info);
    for (int y = 0; y < h; y++) png_write_row(writer, &rgba[(size_t)y * w * channels]);
    png_write_end(writer, info);
    png_destroy_write_struct(&writer, &info);
    return out;
}

// A Windows icon with one image per size: 32-bit bottom-up BGRA bitmaps with their AND masks (what
// every Windows and wine reads), the 256-pixel one as PNG, as Windows keeps its largest.
bool writeIco(const std::string& path, const std::vector<int>& sizes)
{
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) {
        std::vector<uint8_t> rgba = icon(s), dib;
        if (s >= 256) {
            images.push_back(png(s, s, rgba));
            continue;
        }
        uint32_t maskStride = (uint32_t)((s + 31) / 32 * 4);
        for (uint32_t v : {40u, (uint32_t)s, 2u * s}) put(dib, v, 4);  // both halves: colour and mask
        put(dib, 1, 2);
        put(dib, 32, 2);
        for (uint32_t v : {0u, 0u, 0u, 0u, 0u, 0u}) put(dib, v, 4);
        for (int y = s - 1; y >= 0; y--)
            for (int x = 0; x < s; x++) {
                const uint8_t* p = &rgba[((size_t)y * s + x) * 4];
                for (int c : {2, 1, 0, 3}) dib.push_back(p[c]);
            }
        for (int y = s - 1; y >= 0; y--) {  // the AND mask: set where fully transparent
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < s; x++)
                if (rgba[((size_t)y * s + x) * 4 + 3] == 0) row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
            dib.insert(dib.end(), row.begin(), row.end());
        }
        images.push_back(dib);
    }
    std::vector<uint8_t> out;
    put(out, 0, 2);
    put(out, 1, 2);  // an icon, not a cursor
    put(out, (uint32_t)sizes.size(), 2);
    uint32_t at = 6 + 16 * (uint32_t)sizes.size();
    for (size_t i = 0; i < sizes.size(); i++) {
        out.push_back((uint8_t)sizes[i]), out.push_back((uint8_t)sizes[i]);  // 256 is written as 0
        out.push_back(0), out.push_back(0);
        put(out, 1, 2);
        put(out, 32, 2);
        put(out, (uint32_t)images[i].size(), 4);
        put(out, at, 4);
        at += (uint32_t)images[i].size();
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return writeFile(path, out);
}

}  // namespace art
