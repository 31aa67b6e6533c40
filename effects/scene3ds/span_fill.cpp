// The span loops of the six fillers; the triangle walking is in span_setup.h.
#include "effects/scene3ds/span_fill.h"

#include "effects/scene3ds/span_setup.h"
#include "render/pixel_tables.h"

namespace {

// Texel (or light-map) index of a pair of 24.8 coordinates: row b, column a.
inline uint32_t span_texel(uint32_t a, uint32_t b)
{
    return ((a >> SPAN_ATTR_SHIFT) & 255) | (((b >> SPAN_ATTR_SHIFT) & 255) << 8);
}

// Both pixels halved channel by channel (no borrow between channels) and added.
inline uint16_t span_blend(uint16_t p, uint16_t under)
{
    return static_cast<uint16_t>(((p >> 1) & halfMask) + ((under >> 1) & halfMask));
}

struct plainSpan_T {
    const uint16_t* texture;
    void row(uint16_t* dst, int32_t count, uint32_t* at, const int32_t* step) const
    {
        uint32_t a = at[0], b = at[1];
        for (int32_t n = 0; n < count; n++) {
            dst[n] = texture[span_texel(a, b)];
            a += step[0];
            b += step[1];
        }
    }
};

struct plainBlendSpan_T {
    const uint16_t* texture;
    void row(uint16_t* dst, int32_t count, uint32_t* at, const int32_t* step) const
    {
        uint32_t a = at[0], b = at[1];
        for (int32_t n = 0; n < count; n++) {
            dst[n] = span_blend(texture[span_texel(a, b)], dst[n]);
            a += step[0];
            b += step[1];
        }
    }
};

struct litSpan_T {
    const uint16_t* texture;
    const uint8_t* lightMap;
    const uint16_t* shade;
    uint16_t pixel(uint32_t u, uint32_t v, uint32_t s, uint32_t t) const
    {
        return shade[(texture[span_texel(u, v)] << 8) + lightMap[span_texel(s, t)]];
    }
};

struct litFullSpan_T : litSpan_T {
    void row(uint16_t* dst, int32_t count, uint32_t* at, const int32_t* step) const
    {
        uint32_t u = at[0], v = at[1], s = at[2], t = at[3];
        for (int32_t n = 0; n < count; n++) {
            dst[n] = pixel(u, v, s, t);
            u += step[0];
            v += step[1];
            s += step[2];
            t += step[3];
        }
    }
};

struct litBlendSpan_T : litSpan_T {
    void row(uint16_t* dst, int32_t count, uint32_t* at, const int32_t* step) const
    {
        uint32_t u = at[0], v = at[1], s = at[2], t = at[3];
        for (int32_t n = 0; n < count; n++) {
            dst[n] = span_blend(pixel(u, v, s, t), dst[n]);
            u += step[0];
            v += step[1];
            s += step[2];
            t += step[3];
        }
    }
};

struct litNormalSpan_T : litSpan_T {
    void row(uint16_t* dst, int32_t count, uint32_t* at, const int32_t* step) const
    {
        uint32_t s = at[0], t = at[1];
        for (int32_t n = 0; n < count; n++) {
            dst[n] = pixel(s, t, s, t);
            s += step[0];
            t += step[1];
        }
    }
};

// This filler alone steps before it reads: the first pixel of every span
// already uses the start values plus one step.
struct litNormalBlendSpan_T : litSpan_T {
    void row(uint16_t* dst, int32_t count, uint32_t* at, const int32_t* step) const
    {
        uint32_t s = at[0], t = at[1];
        for (int32_t n = 0; n < count; n++) {
            s += step[0];
            t += step[1];
            dst[n] = span_blend(pixel(s, t, s, t), dst[n]);
        }
    }
};

}

void span_plain(uint16_t* surface, const uint16_t* texture,
                const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2)
{
    span_triangle<2>(surface, v0, v1, v2, plainSpan_T{texture});
}

void span_plainBlend(uint16_t* surface, const uint16_t* texture,
                     const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2)
{
    span_triangle<2>(surface, v0, v1, v2, plainBlendSpan_T{texture});
}

void span_lit(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap, const uint16_t* shade,
              const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2)
{
    span_triangle<4>(surface, v0, v1, v2, litFullSpan_T{{texture, lightMap, shade}});
}

void span_litNormal(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap, const uint16_t* shade,
                    const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2)
{
    span_triangle<2>(surface, v0, v1, v2, litNormalSpan_T{{texture, lightMap, shade}});
}

void span_litBlend(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap, const uint16_t* shade,
                   const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2)
{
    span_triangle<4>(surface, v0, v1, v2, litBlendSpan_T{{texture, lightMap, shade}});
}

void span_litNormalBlend(uint16_t* surface, const uint16_t* texture, const uint8_t* lightMap,
                         const uint16_t* shade,
                         const spanVertex_T* v0, const spanVertex_T* v1, const spanVertex_T* v2)
{
    span_triangle<2>(surface, v0, v1, v2, litNormalBlendSpan_T{{texture, lightMap, shade}});
}
