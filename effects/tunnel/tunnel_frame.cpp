#include "effects/tunnel/tunnel_frame.h"

#include "effects/tunnel/tunnel_texture.h"
#include "platform/pixel_pack.h"

uint32_t tunnelImage[TUNNEL_W * TUNNEL_H];
int32_t slideOffset = TUNNEL_W;

void tunnel_rotatePalette() {
    const uint32_t first = tunnelPalette[0];
    for (int k = 0; k < 255; k++)
        tunnelPalette[k] = tunnelPalette[k + 1];
    tunnelPalette[255] = first;
}

void tunnel_drawImage(int32_t a, int32_t d) {
    // Only the low 8 bits of u and v count, so they wrap for free.
    for (int q = 0; q < TUNNEL_W * TUNNEL_H; q++) {
        const uint8_t u = (uint8_t)(angleTable[q] + a);
        const uint8_t v = (uint8_t)(distTable[q] + d);
        tunnelImage[q] = tunnelPalette[tunnelTexture[v * TUNNEL_TEX + u]];
    }
}

void tunnel_present(uint16_t* pixels, int32_t pitch) {
    const pixelPack_T f = pack_fromDisplay();
    const int32_t width = TUNNEL_W - slideOffset;
    for (int y = 0; y < TUNNEL_H; y++)
        pack_row(f, tunnelImage + y * TUNNEL_W, pixels + y * pitch + slideOffset, width);
}

void tunnel_slide() {
    if (slideOffset != 0)
        slideOffset -= 8;
}
