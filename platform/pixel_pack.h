#pragma once
// Packing of 0x00RRGGBB pixels into the display's 16-bit format: the
// engine's conversion of the work buffer, and the effects that draw in 32
// bits first. Each channel keeps its top bits (no rounding, no dithering). The six channel values are copied into
// a pixelPack_T once per frame so the per-pixel loops read locals.
#include <cstdint>

#include "platform/display.h"

struct pixelPack_T {
    int32_t redDrop, redShift;     // right shift of the masked channel, then left shift
    int32_t greenDrop, greenShift;
    int32_t blueDrop, blueShift;
};

inline pixelPack_T pack_fromDisplay() {
    pixelPack_T f;
    f.redDrop = 24 - redBits;
    f.redShift = redShift;
    f.greenDrop = 16 - greenBits;
    f.greenShift = greenShift;
    f.blueDrop = 8 - blueBits;
    f.blueShift = blueShift;
    return f;
}

inline uint16_t pack_pixel(const pixelPack_T& f, uint32_t p) {
    return (uint16_t)((((p & 0xFF0000u) >> f.redDrop) << f.redShift) |
                      (((p & 0xFF00u) >> f.greenDrop) << f.greenShift) |
                      (((p & 0xFFu) >> f.blueDrop) << f.blueShift));
}

// A run of n pixels, in blocks of 8 that the compiler turns into vector code.
inline void pack_row(const pixelPack_T& f, const uint32_t* __restrict src, uint16_t* __restrict dst, int32_t n) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8)
        for (int32_t k = 0; k < 8; k++)
            dst[i + k] = pack_pixel(f, src[i + k]);
    for (; i < n; i++)
        dst[i] = pack_pixel(f, src[i]);
}
