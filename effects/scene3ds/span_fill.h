#pragma once
// The six triangle fillers of the 3DS scene. Each fills one screen triangle
// with affine texture mapping straight into the locked 16-bit surface (rows
// of surfacePitch pixels), clipped to the scene's viewport. There is no depth
// buffer: the caller draws far to near.
//
//   span_plain          texture[a, b]                            modes 0, 1
//   span_plainBlend     half(texture[a, b]) + half(surface)      modes 2, 3
//   span_lit            shade[texture[u, v], light[s, t]]        mode 4
//   span_litNormal      shade[texture[a, b], light[a, b]]        mode 5
//   span_litBlend       half(lit as mode 4) + half(surface)      mode 6
//   span_litNormalBlend half(lit as mode 5) + half(surface)      mode 7
//
// "texture" holds display pixels for the plain fillers and colour indices
// (rows of 256 shades in "shade") for the lit ones.
#include <cstdint>

// A corner of a screen triangle: whole-pixel position and its texel
// coordinates. Two-attribute fillers read (a, b) from at[0], at[1]; the
// four-attribute ones read (u, v) from at[0], at[1] and the light-map
// coordinates (s, t) from at[2], at[3]. Only the low 8 bits of a texel
// coordinate address the 256 x 256 tables; the rest wraps.
struct spanVertex_T {
    int16_t x, y;
    int16_t at[4];
};

void span_plain(uint16_t* surface, const uint16_t* texture,
                const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2);
void span_plainBlend(uint16_t* surface, const uint16_t* texture,
                     const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2);
void span_lit(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap, const uint16_t* shade,
              const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2);
void span_litNormal(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap, const uint16_t* shade,
                    const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2);
void span_litBlend(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap, const uint16_t* shade,
                   const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2);
void span_litNormalBlend(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap,
                         const uint16_t* shade,
                         const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2);
