#pragma once
// One frame of the tunnel: the palette turns by one entry, the texture is
// looked up through the screen tables at the current scroll offsets into
// tunnelImage, and the image is shown from column slideOffset on.
#include <cstdint>

#include "effects/tunnel/tunnel_tables.h"

extern uint32_t tunnelImage[TUNNEL_W * TUNNEL_H];   // 0x00RRGGBB
extern int32_t slideOffset;                          // screen column where the picture starts

// Entry k takes the old entry k + 1 (mod 256).
void tunnel_rotatePalette();

// Texel (angle + a, distance + d) of every pixel, through the palette.
void tunnel_drawImage(int32_t a, int32_t d);

// Writes the columns of tunnelImage that have slid in (the image's left part
// at screen column slideOffset on) into a 16-bit surface of 320 x 240 with
// rows pitch pixels apart; the columns left of slideOffset are not touched.
void tunnel_present(uint16_t* pixels, int32_t pitch);

// The picture moves 8 columns further left, until it covers the screen.
void tunnel_slide();
