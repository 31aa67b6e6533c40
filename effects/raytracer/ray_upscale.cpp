#include "effects/raytracer/ray_upscale.h"

#include "effects/raytracer/ray_scene.h"
#include "platform/pixel_pack.h"

// Screen pixels 2i and 2i + 1 of a row pair from image pixels a0, a1 (row A,
// columns i and i + 1) and b0, b1 (row B), still as 0x00RRGGBB.
static inline void upscalePair(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, uint32_t* top, uint32_t* bottom) {
    top[0] = a0;
    top[1] = ray_avg2(a0, a1);
    bottom[0] = ray_avg2(b0, a0);
    bottom[1] = ray_avg4(a0, a1, b0, b1);
}

void upscale2x(uint16_t* pixels, int32_t pitch) {
    const pixelPack_T f = pack_fromDisplay();
    const uint32_t* last = rayImage + RAY_W * RAY_H - 1;
    // One screen row pair is made in 32 bits first, then packed in one run
    // per row.
    uint32_t top[2 * RAY_W], bottom[2 * RAY_W];
    // The two rows kept back at the bottom leave room for row B = j + 2.
    for (int32_t j = 0; 2 * j < 2 * RAY_H - 4; j++) {
        const uint32_t* a = rayImage + (j + 1) * RAY_W;
        const uint32_t* b = a + RAY_W;
        for (int32_t i = 0; i < RAY_W - 1; i++)
            upscalePair(a[i], a[i + 1], b[i], b[i + 1], top + 2 * i, bottom + 2 * i);
        // The right neighbour of column 159 is the next pixel in memory
        // (column 0 of the row below); the image's last pixel has itself.
        const int32_t i = RAY_W - 1;
        upscalePair(a[i], a[i + 1], b[i], b + i == last ? b[i] : b[i + 1], top + 2 * i, bottom + 2 * i);
        pack_row(f, top, pixels + 2 * j * pitch, 2 * RAY_W);
        pack_row(f, bottom, pixels + (2 * j + 1) * pitch, 2 * RAY_W);
    }
}
