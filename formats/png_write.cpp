#include "formats/png_write.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {
// Fast deflate with libpng's per-row filter choice: a frame of the demo
// packs to a small fraction of its raw size at a few milliseconds, which
// matters when a whole run writes thousands of them.
const int PNG_DEFLATE_LEVEL = 3;

// libpng reports errors by longjmp: nothing with a destructor may live in
// this frame. rows holds height pointers into the caller's pixels.
int png_encode(FILE* f, png_bytep* rows, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return -1;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return -1;
    }
    png_init_io(png, f);
    png_set_compression_level(png, PNG_DEFLATE_LEVEL);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return 0;
}
}

int png_writeRgb(const char* path, const uint8_t* rgb, int width, int height)
{
    if (width <= 0 || height <= 0)
        return -1;
    std::vector<png_bytep> rows((size_t)height);
    for (int y = 0; y < height; y++)
        rows[(size_t)y] = const_cast<png_bytep>(rgb + (size_t)y * width * 3);
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return -1;
    int result = png_encode(f, rows.data(), width, height);
    if (std::fclose(f) != 0)
        result = -1;
    if (result != 0)
        std::remove(path);   // no half-written picture that looks like one
    return result;
}

void png_widen16(const uint16_t* pixels, int pitch, int width, int height, int format555, uint8_t* rgb)
{
    const int greenBits = format555 ? 5 : 6;
    const int redShift = format555 ? 10 : 11;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint32_t p = pixels[(size_t)y * pitch + x];
            uint32_t r = (p >> redShift) & 31, g = (p >> 5) & ((1u << greenBits) - 1), b = p & 31;
            uint8_t* o = &rgb[((size_t)y * width + x) * 3];
            o[0] = (uint8_t)((r << 3) | (r >> 2));
            o[1] = (uint8_t)(greenBits == 6 ? (g << 2) | (g >> 4) : (g << 3) | (g >> 2));
            o[2] = (uint8_t)((b << 3) | (b >> 2));
        }
    }
}

int png_write16(const char* path, const uint16_t* pixels, int pitch, int width, int height, int format555)
{
    if (width <= 0 || height <= 0)
        return -1;
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    png_widen16(pixels, pitch, width, height, format555, rgb.data());
    return png_writeRgb(path, rgb.data(), width, height);
}
