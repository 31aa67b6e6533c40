// The four filler families. Each carries its values along the edges of the
// scan set-up and writes a row by the span pixel rule, right to left. The
// per-pixel values run in unsigned 16.16 so that the degenerate rows (a
// right end left of the left end) wrap harmlessly instead of overflowing.
#include "render/r3d_fill.h"

#include "render/r3d_muldiv.h"
#include "render/r3d_scan.h"
#include "render/r3d_tex.h"

namespace {

// Difference of two 16.16 values, wrapping like the 32-bit registers did.
inline int32_t fixDiff(int32_t a, int32_t b)
{
    return (int32_t)((uint32_t)a - (uint32_t)b);
}

struct flatPix_T {
    uint16_t colour;
    uint16_t cur() const { return colour; }
    uint16_t leftEnd() const { return colour; }
    void step1() {}
};

struct flatFill_T {
    static constexpr bool UV = false, COL = false;
    uint16_t colour;
    void span(uint16_t* row, const r3dEdge_T& l, const r3dEdge_T& r)
    {
        flatPix_T p{colour};
        r3d_spanRule(row, l.x >> R3D_FIX_SHIFT, r.x >> R3D_FIX_SHIFT, p);
    }
};

struct gouraudPix_T {
    uint32_t c, dc, cl;
    uint16_t cur() const { return (uint16_t)(c >> R3D_FIX_SHIFT); }
    uint16_t leftEnd() const { return (uint16_t)(cl >> R3D_FIX_SHIFT); }
    void step1() { c -= dc; }
};

// The colour (and shade) step divides by the span width plus 2.0.
inline uint32_t colourStep(const r3dEdge_T& l, const r3dEdge_T& r)
{
    return (uint32_t)r3d_mulDiv(fixDiff(r.c, l.c), R3D_FIX_ONE, r.x - l.x + 2 * R3D_FIX_ONE);
}

struct gouraudFill_T {
    static constexpr bool UV = false, COL = true;
    void span(uint16_t* row, const r3dEdge_T& l, const r3dEdge_T& r)
    {
        gouraudPix_T p{(uint32_t)r.c, colourStep(l, r), (uint32_t)l.c};
        r3d_spanRule(row, l.x >> R3D_FIX_SHIFT, r.x >> R3D_FIX_SHIFT, p);
    }
};

// Inside a span v and the shade step with their bits shifted left: a
// shifted value wraps in the bits it keeps exactly as the 16.16 value does,
// so the bits a pixel reads sit at the top of the word and come out with a
// single shift. v keeps its texel bits (16 up to 27 - 2L, the column part of
// r3d_texelIndex) at the top, the shade its integer part (bits 16..20).
template <int L>
constexpr int TEX_V_BITS = 12 - 2 * L;
template <int L>
constexpr int TEX_V_TOP = 32 - R3D_FIX_SHIFT - TEX_V_BITS<L>;
constexpr int SHADE_BITS = 5;
static_assert(1 << SHADE_BITS == R3D_TEX_SHADES, "one shaded copy per shade value");
constexpr int SHADE_TOP = 32 - R3D_FIX_SHIFT - SHADE_BITS;

// r3d_texelIndex<L>(u, v) with v given as v << TEX_V_TOP<L>.
template <int L>
inline uint32_t texelIndexTop(uint32_t u, uint32_t vTop)
{
    return ((u & r3dTexUMask[L]) >> (10 + L)) | vTop >> (32 - TEX_V_BITS<L>);
}

template <int L>
struct texPix_T {
    const uint16_t* tex;
    uint32_t u, vTop, du, dvTop, ul, vl;
    uint16_t cur() const { return tex[texelIndexTop<L>(u, vTop)]; }
    uint16_t leftEnd() const { return tex[r3d_texelIndex<L>(ul, vl)]; }
    void step1()
    {
        u -= du;
        vTop -= dvTop;
    }
};

// Texture steps divide by the exact width; a zero width gives -1.
inline void texSteps(const r3dEdge_T& l, const r3dEdge_T& r, uint32_t* du, uint32_t* dv)
{
    *du = (uint32_t)r3d_mulDiv(fixDiff(r.u, l.u), R3D_FIX_ONE, r.x - l.x);
    *dv = (uint32_t)r3d_mulDiv(fixDiff(r.v, l.v), R3D_FIX_ONE, r.x - l.x);
}

template <int L>
struct texFill_T {
    static constexpr bool UV = true, COL = false;
    const uint16_t* tex;
    void span(uint16_t* row, const r3dEdge_T& l, const r3dEdge_T& r)
    {
        uint32_t du, dv;
        texSteps(l, r, &du, &dv);
        texPix_T<L> p{tex, (uint32_t)r.u, (uint32_t)r.v << TEX_V_TOP<L>, du, dv << TEX_V_TOP<L>,
                      (uint32_t)l.u, (uint32_t)l.v};
        r3d_spanRule(row, l.x >> R3D_FIX_SHIFT, r.x >> R3D_FIX_SHIFT, p);
    }
};

// The shade's integer part picks one of the 32 shaded copies; keeping only
// its five bits keeps a degenerate row's stepped value inside the table.
template <int L>
struct shadedPix_T {
    const uint16_t* const* set;
    uint32_t u, vTop, du, dvTop, ul, vl;
    uint32_t cTop, dcTop, cl;
    uint16_t cur() const { return set[cTop >> (32 - SHADE_BITS)][texelIndexTop<L>(u, vTop)]; }
    uint16_t leftEnd() const
    {
        return set[(cl >> R3D_FIX_SHIFT) & (R3D_TEX_SHADES - 1)][r3d_texelIndex<L>(ul, vl)];
    }
    void step1()
    {
        u -= du;
        vTop -= dvTop;
        cTop -= dcTop;
    }
};

template <int L>
struct shadedFill_T {
    static constexpr bool UV = true, COL = true;
    const uint16_t* const* set;
    void span(uint16_t* row, const r3dEdge_T& l, const r3dEdge_T& r)
    {
        uint32_t du, dv;
        texSteps(l, r, &du, &dv);
        shadedPix_T<L> p{set, (uint32_t)r.u, (uint32_t)r.v << TEX_V_TOP<L>, du, dv << TEX_V_TOP<L>,
                         (uint32_t)l.u, (uint32_t)l.v, (uint32_t)r.c << SHADE_TOP,
                         colourStep(l, r) << SHADE_TOP, (uint32_t)l.c};
        r3d_spanRule(row, l.x >> R3D_FIX_SHIFT, r.x >> R3D_FIX_SHIFT, p);
    }
};

template <int L>
void triTextureAt(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    texFill_T<L> f{curTexture};
    r3d_frontEnd(a, b, c, f);
}

template <int L>
void triShadedAt(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    shadedFill_T<L> f{curShadeSet};
    r3d_frontEnd(a, b, c, f);
}

}  // namespace

void r3d_triFlat(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    // Every piece of a clipped fan takes a's colour too.
    flatFill_T f{(uint16_t)a->colour};
    r3d_frontEnd(a, b, c, f);
}

void r3d_triGouraud(const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    gouraudFill_T f;
    r3d_frontEnd(a, b, c, f);
}

void r3d_triTexture(int level, const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    switch (level) {
    case 0: triTextureAt<0>(a, b, c); break;
    case 1: triTextureAt<1>(a, b, c); break;
    case 2: triTextureAt<2>(a, b, c); break;
    default: triTextureAt<3>(a, b, c); break;
    }
}

void r3d_triTextureShaded(int level, const meshVertex_T* a, const meshVertex_T* b, const meshVertex_T* c)
{
    switch (level) {
    case 0: triShadedAt<0>(a, b, c); break;
    case 1: triShadedAt<1>(a, b, c); break;
    case 2: triShadedAt<2>(a, b, c); break;
    default: triShadedAt<3>(a, b, c); break;
    }
}
