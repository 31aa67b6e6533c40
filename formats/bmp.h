#pragma once
// Uncompressed 24-bit BMP pictures in memory: three bytes per pixel in the
// order blue, green, red, rows top first, no padding.
#include <cstdint>

struct image24_T {
    uint8_t bitsPerPixel;   // always 24
    uint32_t width;
    uint32_t height;
    uint8_t* pixels;        // width x height x 3 bytes used (allocated x 4)
};

// Reads a 24-bit BMP (54-byte headers, bottom-up rows padded to 4 bytes).
// Returns a new image or null; logs nothing.
image24_T* loadBmp24(const char* path);
void freeImage24(image24_T* image);   // null is ignored

// Size of one file row: width x 3 bytes rounded up to a multiple of 4.
uint32_t bmp_rowBytes(uint32_t width);
constexpr int BMP_HEADER_BYTES = 54;   // 14-byte file header + 40-byte info header
