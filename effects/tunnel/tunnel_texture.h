#pragma once
// The tunnel's 256 x 256 texture of palette indices, its 256-colour palette
// and the four builders that fill them (one per mode of the effect).
#include <cstdint>

enum { TUNNEL_TEX = 256, TUNNEL_MODES = 4, WRAPCOPY_MAX = 76800 };

extern uint8_t tunnelTexture[TUNNEL_TEX * TUNNEL_TEX];   // texel (u, v) at 256 v + u
extern uint32_t tunnelPalette[256];                      // 0x00RRGGBB

using tunnelBuilder_T = void (*)();
extern const tunnelBuilder_T tunnelBuilders[TUNNEL_MODES];

// Runs the builder of a mode; -1 (and nothing touched) for a mode outside 0..3.
int tunnel_build(int mode);

// Copies a w x h rectangle from (sx, sy) of src to (dx, dy) of dst, every
// coordinate taken modulo its image's size, so a rectangle that leaves an
// image on any side comes back on the opposite side. src and dst may be the
// same image (the rectangle goes through a scratch buffer). Returns -1 without
// copying when the rectangle is larger than the scratch buffer or an image
// size is not positive.
int wrapCopy8(const uint8_t* src, uint8_t* dst, int32_t sx, int32_t sy, int32_t w, int32_t h,
              int32_t dx, int32_t dy, int32_t srcW, int32_t srcH, int32_t dstW, int32_t dstH);

// One in-place smoothing pass over tunnelTexture.
void blur8();
