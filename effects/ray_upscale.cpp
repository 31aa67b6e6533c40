#include "effects/ray_upscale.h"

#include "effects/ray_pack.h"
#include "effects/ray_scene.h"

void upscale2x(uint16_t* pixels, int32_t pitch) {
    const pixelPack_T f = pack_fromDisplay();
    const uint32_t* last = rayImage + RAY_W * RAY_H - 1;
    // The two rows kept back at the bottom leave room for row B = j + 2.
    for (int32_t j = 0; 2 * j < 2 * RAY_H - 4; j++) {
        const uint32_t* a = rayImage + (j + 1) * RAY_W;
        const uint32_t* b = a + RAY_W;
        uint16_t* top = pixels + 2 * j * pitch;
        uint16_t* bottom = top + pitch;
        for (int32_t i = 0; i < RAY_W; i++) {
            // The right neighbour of column 159 is the next pixel in memory
            // (column 0 of the row below); the image's last pixel has itself.
            const uint32_t a0 = a[i], a1 = a[i + 1];
            const uint32_t b0 = b[i], b1 = b + i == last ? b0 : b[i + 1];
            top[2 * i] = pack_pixel(f, a0);
            top[2 * i + 1] = pack_pixel(f, ray_avg2(a0, a1));
            bottom[2 * i] = pack_pixel(f, ray_avg2(b0, a0));
            bottom[2 * i + 1] = pack_pixel(f, ray_avg4(a0, a1, b0, b1));
        }
    }
}
