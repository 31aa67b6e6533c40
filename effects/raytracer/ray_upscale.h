#pragma once
// Shows the ray tracer's 160 x 120 image doubled on a 320 x 240 16-bit
// surface, filling the in-between pixels with averages of their neighbours.
#include <cstdint>

// Screen rows 2j and 2j + 1 come from image rows j + 1 and j + 2 for
// j = 0..117: image row 0 is never shown and screen rows 236..239 are not
// written. pitch is the surface's row length in pixels.
void upscale2x(uint16_t* pixels, int32_t pitch);

// Channel-wise halves and quarters of whole pixels: the sum of two halves
// and of four quarters, each channel rounded down before the sum.
inline uint32_t ray_avg2(uint32_t p, uint32_t q) { return ((p >> 1) & 0x7F7F7F7Fu) + ((q >> 1) & 0x7F7F7F7Fu); }
inline uint32_t ray_avg4(uint32_t p, uint32_t q, uint32_t r, uint32_t s) {
    return ((p >> 2) & 0x3F3F3F3Fu) + ((q >> 2) & 0x3F3F3F3Fu) + ((r >> 2) & 0x3F3F3F3Fu) + ((s >> 2) & 0x3F3F3F3Fu);
}
