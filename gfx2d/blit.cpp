#include "gfx2d/blit.h"

#include <cstring>

#include "gfx2d/gbuffer.h"

static int32_t clipXmin, clipXmax, clipYmin, clipYmax;

void gpl_setClip(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax)
{
    clipXmin = xmin;
    clipXmax = xmax;
    clipYmin = ymin;
    clipYmax = ymax;
}

namespace {

// The rectangle being blitted and its corner in each of the three buffers.
// 64-bit so that no coordinate sum can overflow while it is being cut.
enum { AT_DST, AT_SRC, AT_BG };
struct blitRect_T {
    int64_t w, h;
    int64_t x[3], y[3];
};

// Cuts the rectangle so that its corner `at` stays inside [left, right) x
// [top, bottom); the other two corners move along with it.
void clipRect(blitRect_T& r, int at, int64_t left, int64_t right, int64_t top, int64_t bottom)
{
    int64_t k = left - r.x[at];
    if (k > 0) {
        for (int64_t& x : r.x)
            x += k;
        r.w -= k;
    }
    k = top - r.y[at];
    if (k > 0) {
        for (int64_t& y : r.y)
            y += k;
        r.h -= k;
    }
    if (r.x[at] + r.w > right)
        r.w = right - r.x[at];
    if (r.y[at] + r.h > bottom)
        r.h = bottom - r.y[at];
}

void clipToBuffer(blitRect_T& r, int at, const gbuffer_T* b)
{
    clipRect(r, at, 0, b->width, 0, b->height);
}

bool usable(const gbuffer_T* b)
{
    return b && b->pixels && b->errorFlags == 0 && b->width > 0 && b->height > 0;
}

struct blitRows_T {
    uint32_t* d;
    const uint32_t* s;
    const uint32_t* b;      // null when the mode does not read a background
    int32_t w, h;
    int32_t dStride, sStride, bStride;
};

// One tight loop per mode: Op is inlined, the zero test is the colour key.
template <bool UsesBg, typename Op>
void blitKeyed(const blitRows_T& j, Op op)
{
    uint32_t* d = j.d;
    const uint32_t* s = j.s;
    const uint32_t* b = j.b;
    for (int32_t row = 0; row < j.h; row++) {
        for (int32_t x = 0; x < j.w; x++) {
            uint32_t sp = s[x];
            if (sp)
                d[x] = op(sp, UsesBg ? b[x] : 0u, d[x]);
        }
        d += j.dStride;
        s += j.sStride;
        if (UsesBg)
            b += j.bStride;
    }
}

// Packed per-byte sum of the three colour bytes: the low 7 bits of each byte
// add without crossing into the next byte, bit 7 is fixed up by XOR, and the
// carry out of each byte is reported in that byte's bit 7.
inline uint32_t byteSum(uint32_t s, uint32_t b, uint32_t* carry)
{
    s &= 0xFFFFFF;
    b &= 0xFFFFFF;
    uint32_t low = (s & 0x7F7F7F) + (b & 0x7F7F7F);
    *carry = ((s & b) | ((s | b) & low)) & 0x808080;
    return low ^ ((s ^ b) & 0x808080);
}

inline uint32_t addSaturate(uint32_t s, uint32_t b, uint32_t d)
{
    uint32_t carry;
    uint32_t sum = byteSum(s, b, &carry);
    return (d & 0xFF000000) | sum | ((carry >> 7) * 0xFF);
}

// s + b - 255 = (s + b mod 256) + 1 when the byte carried, else it is <= 0.
inline uint32_t subSaturate(uint32_t s, uint32_t b, uint32_t d)
{
    uint32_t carry;
    uint32_t sum = byteSum(s, b, &carry);
    uint32_t carried = carry >> 7;
    return (d & 0xFF000000) | ((sum + carried) & (carried * 0xFF));
}

void blitCopy(const blitRows_T& j)
{
    uint32_t* d = j.d;
    const uint32_t* s = j.s;
    for (int32_t row = 0; row < j.h; row++) {
        std::memmove(d, s, (size_t)j.w * 4);
        d += j.dStride;
        s += j.sStride;
    }
}

bool readsBackground(int mode)
{
    return mode == GPL_ADD || mode == GPL_SUB || mode == GPL_AVERAGE;
}

bool knownMode(int mode)
{
    switch (mode) {
    case GPL_COPY: case GPL_KEYED: case GPL_ADD: case GPL_SUB: case GPL_AVERAGE:
    case GPL_WHITE: case GPL_BLACK: case GPL_NEGATIVE: case GPL_ROTATE_GBR: case GPL_ROTATE_BRG:
        return true;
    }
    return false;
}

}  // namespace

void gpl_blit(int clipMode, int pixelMode, int32_t width, int32_t height,
              gbuffer_T* dst, int32_t dx, int32_t dy,
              const gbuffer_T* src, int32_t sx, int32_t sy,
              const gbuffer_T* bg, int32_t bx, int32_t by)
{
    bool withBg = readsBackground(pixelMode);
    if (!knownMode(pixelMode) || !usable(dst) || !usable(src) || (withBg && !usable(bg)))
        return;

    blitRect_T r = {width, height, {dx, sx, bx}, {dy, sy, by}};
    if (clipMode == GPL_CLIP_DEST)
        clipToBuffer(r, AT_DST, dst);
    else if (clipMode == GPL_CLIP_RECT)
        clipRect(r, AT_DST, clipXmin, clipXmax, clipYmin, clipYmax);
    // Whatever the caller asked for, nothing outside the three buffers is
    // touched: a rectangle that does not fit is cut here rather than trusted.
    clipToBuffer(r, AT_DST, dst);
    clipToBuffer(r, AT_SRC, src);
    if (withBg)
        clipToBuffer(r, AT_BG, bg);
    if (r.w <= 0 || r.h <= 0)
        return;

    blitRows_T j;
    j.d = dst->pixels + r.y[AT_DST] * dst->width + r.x[AT_DST];
    j.s = src->pixels + r.y[AT_SRC] * src->width + r.x[AT_SRC];
    j.b = withBg ? bg->pixels + r.y[AT_BG] * bg->width + r.x[AT_BG] : nullptr;
    j.w = (int32_t)r.w;
    j.h = (int32_t)r.h;
    j.dStride = dst->width;
    j.sStride = src->width;
    j.bStride = withBg ? bg->width : 0;

    switch (pixelMode) {
    case GPL_COPY:
        blitCopy(j);
        break;
    case GPL_KEYED:
        blitKeyed<false>(j, [](uint32_t s, uint32_t, uint32_t) { return s; });
        break;
    case GPL_ADD:
        blitKeyed<true>(j, addSaturate);
        break;
    case GPL_SUB:
        blitKeyed<true>(j, subSaturate);
        break;
    case GPL_AVERAGE:
        blitKeyed<true>(j, [](uint32_t s, uint32_t b, uint32_t) {
            return ((s >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F);
        });
        break;
    case GPL_WHITE:
        blitKeyed<false>(j, [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFu; });
        break;
    case GPL_BLACK:
        blitKeyed<false>(j, [](uint32_t, uint32_t, uint32_t) { return 0u; });
        break;
    case GPL_NEGATIVE:
        blitKeyed<false>(j, [](uint32_t s, uint32_t, uint32_t) { return s ^ 0xFFFFFFu; });
        break;
    case GPL_ROTATE_GBR:
        blitKeyed<false>(j, [](uint32_t s, uint32_t, uint32_t) { return (s << 8) | ((s >> 16) & 0xFF); });
        break;
    case GPL_ROTATE_BRG:
        blitKeyed<false>(j, [](uint32_t s, uint32_t, uint32_t) { return (s << 16) | ((s >> 8) & 0xFFFF); });
        break;
    }
}
