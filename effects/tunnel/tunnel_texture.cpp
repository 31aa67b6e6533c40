#include "effects/tunnel/tunnel_texture.h"

#include <cmath>

uint8_t tunnelTexture[TUNNEL_TEX * TUNNEL_TEX];
uint32_t tunnelPalette[256];

static uint8_t wrapScratch[WRAPCOPY_MAX];

// a modulo n in [0, n), negative a included.
static int32_t wrapMod(int32_t a, int32_t n) {
    const int32_t m = a % n;
    return m < 0 ? m + n : m;
}

int wrapCopy8(const uint8_t* src, uint8_t* dst, int32_t sx, int32_t sy, int32_t w, int32_t h,
              int32_t dx, int32_t dy, int32_t srcW, int32_t srcH, int32_t dstW, int32_t dstH) {
    if (w < 0 || h < 0 || srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0)
        return -1;
    if ((int64_t)w * h > WRAPCOPY_MAX)
        return -1;
    uint8_t* out = wrapScratch;
    for (int32_t r = 0; r < h; r++) {
        const uint8_t* row = src + wrapMod(sy + r, srcH) * srcW;
        for (int32_t c = 0; c < w; c++)
            *out++ = row[wrapMod(sx + c, srcW)];
    }
    const uint8_t* in = wrapScratch;
    for (int32_t r = 0; r < h; r++) {
        uint8_t* row = dst + wrapMod(dy + r, dstH) * dstW;
        for (int32_t c = 0; c < w; c++)
            row[wrapMod(dx + c, dstW)] = *in++;
    }
    return 0;
}

void blur8() {
    // Neighbours are taken in the linear order of the 64 KB texture, wrapping
    // at both ends: left of u = 0 is the last texel of the row before, and
    // the row above row 0 is row 255. Updated texels feed the ones after them.
    const uint32_t mask = TUNNEL_TEX * TUNNEL_TEX - 1;
    uint8_t* t = tunnelTexture;
    for (uint32_t i = 0; i <= mask; i++) {
        const uint32_t sum = t[(i - 257) & mask] + t[(i - 256) & mask] + t[(i - 255) & mask] +
                             t[(i - 1) & mask] + t[(i + 1) & mask] +
                             t[(i + 255) & mask] + t[(i + 256) & mask] + t[(i + 257) & mask];
        t[i] = (uint8_t)(sum >> 3);
    }
}

static void tunnel_bands() {
    for (int v = 0; v < TUNNEL_TEX; v++)
        for (int u = 0; u < TUNNEL_TEX; u++)
            tunnelTexture[v * TUNNEL_TEX + u] = (uint8_t)v;
}

static uint32_t rgb(int r, int g, int b) { return (uint32_t)(r << 16 | g << 8 | b); }

// A negative shift moves the column up.
static void tunnel_moveColumn(int i, int shift) {
    wrapCopy8(tunnelTexture, tunnelTexture, i, 0, 1, TUNNEL_TEX, i, shift,
              TUNNEL_TEX, TUNNEL_TEX, TUNNEL_TEX, TUNNEL_TEX);
}

// A negative shift moves the row left.
static void tunnel_moveRow(int i, int shift) {
    wrapCopy8(tunnelTexture, tunnelTexture, 0, i, TUNNEL_TEX, 1, shift, i,
              TUNNEL_TEX, TUNNEL_TEX, TUNNEL_TEX, TUNNEL_TEX);
}

// Blue bands.
static void tunnel_buildBlue() {
    tunnel_bands();
    for (int i = 0; i < 256; i++)
        tunnelPalette[i] = rgb(0, 0, i);
}

// Green into brown, columns waved.
static void tunnel_buildGreen() {
    tunnel_bands();
    for (int k = 0; k < 128; k++)
        tunnelPalette[k] = rgb(0, 255 - 2 * k, 0);
    for (int j = 0; j < 128; j++)
        tunnelPalette[128 + j] = rgb(32 + j / 4, 2 * j, 0);
    for (int i = 0; i < TUNNEL_TEX; i++)
        tunnel_moveColumn(i, (int)(50.0 * std::sin((double)i)));
}

// Cyan into pale blue, columns and rows waved, then smoothed: the timeline's mode.
static void tunnel_buildCyan() {
    tunnel_bands();
    for (int k = 0; k < 128; k++)
        tunnelPalette[k] = rgb(0, 255 - 2 * k, 255 - 2 * k);
    for (int j = 0; j < 128; j++)
        tunnelPalette[128 + j] = rgb(j, 2 * j, 2 * j);
    for (int i = 0; i < TUNNEL_TEX; i++)
        tunnel_moveColumn(i, (int)(256.0 * std::sin(i / 16.0)));
    for (int i = 0; i < TUNNEL_TEX; i++)
        tunnel_moveRow(i, (int)(16.0 * std::cos(i / 16.0)));
    blur8();
    blur8();
    blur8();
}

// Bands only; the palette is left as it is (black on a first run).
static void tunnel_buildDark() {
    tunnel_bands();
}

const tunnelBuilder_T tunnelBuilders[TUNNEL_MODES] = {
    tunnel_buildBlue, tunnel_buildGreen, tunnel_buildCyan, tunnel_buildDark,
};

int tunnel_build(int mode) {
    if (mode < 0 || mode >= TUNNEL_MODES)
        return -1;
    tunnelBuilders[mode]();
    return 0;
}
