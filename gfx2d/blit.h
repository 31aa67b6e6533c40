#pragma once
// Rectangle blits between gbuffer_T images with ten pixel modes. Every mode
// but the plain copy treats a source pixel of value 0 as transparent.
#include <cstdint>

struct gbuffer_T;

// Clip modes: anything other than these two means "no clipping requested".
enum {
    GPL_CLIP_NONE = 0,
    GPL_CLIP_DEST = 1,    // cut to the destination's bounds
    GPL_CLIP_RECT = 2,    // cut to the rectangle of gpl_setClip
};

// Pixel modes (s source, b background, d destination).
enum {
    GPL_COPY = 1,         // d = s, zeros included
    GPL_KEYED = 2,        // d = s, colour key 0
    GPL_ADD = 10,         // per byte min(255, s + b)
    GPL_SUB = 11,         // per byte max(0, s + b - 255)
    GPL_AVERAGE = 20,     // per byte (s >> 1) + (b >> 1)
    GPL_WHITE = 30,       // d = 0xFFFFFF
    GPL_BLACK = 31,       // d = 0
    GPL_NEGATIVE = 32,    // d = s ^ 0xFFFFFF
    GPL_ROTATE_GBR = 40,  // red <- green, green <- blue, blue <- red
    GPL_ROTATE_BRG = 41,  // red <- blue, green <- red, blue <- green
};

// The clip rectangle of GPL_CLIP_RECT: x and y minimums inclusive, maximums
// exclusive. Note the order: both x bounds, then both y bounds.
void gpl_setClip(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax);

// Copies the width x height rectangle at (sx, sy) of src to (dx, dy) of dst.
// The blending modes read the background pixel at the same offset from
// (bx, by) in bg, which may be dst itself. Besides the requested clip, the
// rectangle is always cut so that nothing is read or written outside dst,
// src or (for the blending modes) bg; an unknown mode draws nothing.
void gpl_blit(int clipMode, int pixelMode, int32_t width, int32_t height,
              gbuffer_T* dst, int32_t dx, int32_t dy,
              const gbuffer_T* src, int32_t sx, int32_t sy,
              const gbuffer_T* bg, int32_t bx, int32_t by);
