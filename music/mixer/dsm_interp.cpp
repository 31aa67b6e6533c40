// Linear, cubic and windowed-sinc interpolation over a window of floats.
//
// The 32-tap dot product of the sinc interpolator is written three ways:
// AVX2 with FMA, chosen at run time on processors that have both; SSE2,
// which every x86-64 processor has; and plain code elsewhere (the web
// build). They add the same products in different orders, so their results
// differ in the last bits of a float, far under the 16-bit output's step.
#include "music/mixer/dsm_interp.h"

#include <algorithm>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_kernel.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define DSM_X86 1
#endif

namespace {

const float kFrac = 1.0f / 65536.0f;

// The largest widening of the kernel: beyond 16 frames per output frame a
// sample aliases rather than cost more than 512 taps a frame.
const int64_t kMaxWiden = 16;

void linear(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    for (uint32_t k = 0; k < n; k++, x += step) {
        const float* s = w + (x >> 16);
        float t = (float)(x & 0xFFFF) * kFrac;
        dst[k] = s[0] + (s[1] - s[0]) * t;
    }
}

// Catmull-Rom through the four frames around the position: exact on
// straight lines, continuous slope from frame to frame.
void cubic(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    for (uint32_t k = 0; k < n; k++, x += step) {
        const float* s = w + (x >> 16);
        float t = (float)(x & 0xFFFF) * kFrac;
        float p0 = s[-1], p1 = s[0], p2 = s[1], p3 = s[2];
        dst[k] = p1 + 0.5f * t * (p2 - p0 + t * (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3 + t * (3.0f * (p1 - p2) + p3 - p0)));
    }
}

// The row of the phase nearest the position's fraction, and the window at
// its first tap.
inline const float* rowOf(int64_t x) { return dsmSincRows[((x & 0xFFFF) + (1 << (15 - DSM_SINC_PHASE_BITS))) >> (16 - DSM_SINC_PHASE_BITS)]; }
inline const float* tapsOf(const float* w, int64_t x) { return w + (x >> 16) - (DSM_SINC_HALF - 1); }

#if !DSM_X86
void sincPlain(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    for (uint32_t k = 0; k < n; k++, x += step) {
        const float* h = rowOf(x);
        const float* s = tapsOf(w, x);
        float a[4] = {0, 0, 0, 0};
        for (int t = 0; t < DSM_SINC_TAPS; t += 4)
            for (int j = 0; j < 4; j++)
                a[j] += h[t + j] * s[t + j];
        dst[k] = (a[0] + a[2]) + (a[1] + a[3]);
    }
}
#endif

#if DSM_X86
// The sum of a vector's four floats.
inline float sum4(__m128 a)
{
    a = _mm_add_ps(a, _mm_movehl_ps(a, a));
    a = _mm_add_ss(a, _mm_shuffle_ps(a, a, 1));
    return _mm_cvtss_f32(a);
}

void sincSse2(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    for (uint32_t k = 0; k < n; k++, x += step) {
        const float* h = rowOf(x);
        const float* s = tapsOf(w, x);
        __m128 a = _mm_mul_ps(_mm_load_ps(h), _mm_loadu_ps(s));
        __m128 b = _mm_mul_ps(_mm_load_ps(h + 4), _mm_loadu_ps(s + 4));
        for (int t = 8; t < DSM_SINC_TAPS; t += 8) {
            a = _mm_add_ps(a, _mm_mul_ps(_mm_load_ps(h + t), _mm_loadu_ps(s + t)));
            b = _mm_add_ps(b, _mm_mul_ps(_mm_load_ps(h + t + 4), _mm_loadu_ps(s + t + 4)));
        }
        dst[k] = sum4(_mm_add_ps(a, b));
    }
}

__attribute__((target("avx2,fma"))) void sincAvx2(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    for (uint32_t k = 0; k < n; k++, x += step) {
        const float* h = rowOf(x);
        const float* s = tapsOf(w, x);
        __m256 a = _mm256_mul_ps(_mm256_load_ps(h), _mm256_loadu_ps(s));
        __m256 b = _mm256_mul_ps(_mm256_load_ps(h + 8), _mm256_loadu_ps(s + 8));
        a = _mm256_fmadd_ps(_mm256_load_ps(h + 16), _mm256_loadu_ps(s + 16), a);
        b = _mm256_fmadd_ps(_mm256_load_ps(h + 24), _mm256_loadu_ps(s + 24), b);
        a = _mm256_add_ps(a, b);
        dst[k] = sum4(_mm_add_ps(_mm256_castps256_ps128(a), _mm256_extractf128_ps(a, 1)));
    }
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

// A sample faster than the output: the kernel stretched by the step s, its
// cutoff at 0.95 of the output's Nyquist frequency, over 32 s frames. Its
// weights come from a table built for the step (to 1/256 of a frame) from
// the fine curve: WIDE_PHASES rows, each divided by its sum so a constant
// stays exact, padded with zeros to a multiple of 8 taps; a position between
// two rows takes the blend of both rows' sums. The last few tables stay,
// as a voice keeps its step for many blocks and few voices play at once.
enum { WIDE_PHASES = 128, WIDE_SLOTS = 6 };
const int kWideMaxTaps = (int)(2 * DSM_SINC_HALF * kMaxWiden);

struct WideKernel_T {
    int64_t key;            // the step >> 8, 0 for an empty slot
    int reach;              // taps from frame i - reach + 1
    int taps;               // a multiple of 8
    unsigned lastUse;
    float rows[(WIDE_PHASES + 1) * kWideMaxTaps];
};
WideKernel_T wideKernels[WIDE_SLOTS];
const WideKernel_T* wideNow;   // the table of the voice being mixed

int64_t wideKey(int64_t step)
{
    int64_t s16 = step < 0 ? -step : step;
    return std::min<int64_t>(s16, kMaxWiden * 65536) >> 8;
}

int wideReach(int64_t key) { return (int)((DSM_SINC_HALF * (key << 8) + 65535) >> 16); }

// h(u) for u in output frames, between the curve's entries.
float curveAt(double u)
{
    double c = (u + DSM_SINC_HALF) * DSM_SINC_PHASES;
    if (c <= 0.0 || c >= DSM_SINC_TAPS * DSM_SINC_PHASES)
        return 0.0f;
    int k = (int)c;
    float f = (float)(c - k);
    return dsmSincCurve[k] + (dsmSincCurve[k + 1] - dsmSincCurve[k]) * f;
}

const WideKernel_T* wideKernelFor(int64_t step)
{
    static unsigned clock;
    int64_t key = wideKey(step);
    WideKernel_T* slot = &wideKernels[0];
    for (WideKernel_T& k : wideKernels) {
        if (k.key == key) {
            k.lastUse = ++clock;
            return &k;
        }
        if (k.lastUse < slot->lastUse)
            slot = &k;
    }
    double s = (double)(key << 8) / 65536.0;
    slot->key = key;
    slot->reach = wideReach(key);
    slot->taps = (2 * slot->reach + 7) & ~7;
    slot->lastUse = ++clock;
    for (int ph = 0; ph <= WIDE_PHASES; ph++) {
        float* row = slot->rows + ph * slot->taps;
        double t = (double)ph / WIDE_PHASES, sum = 0;
        for (int k = 0; k < slot->taps; k++) {
            row[k] = k < 2 * slot->reach ? curveAt(((k - slot->reach + 1) - t) / s) : 0.0f;
            sum += row[k];
        }
        for (int k = 0; k < slot->taps; k++)
            row[k] = (float)(row[k] / sum);
    }
    return slot;
}

// The row below the position, its first frame in the window and the
// fraction of the way to the next row.
struct WideTap_T {
    const float* row;
    const float* frames;
    float blend;
};

inline WideTap_T wideTap(const WideKernel_T* k, const float* w, int64_t x)
{
    uint32_t phase = (uint32_t)(x & 0xFFFF) * WIDE_PHASES;
    return {k->rows + (phase >> 16) * k->taps, w + (x >> 16) - k->reach + 1, (float)(phase & 0xFFFF) * kFrac};
}

#if !DSM_X86
void sincWidePlain(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    const WideKernel_T* kern = wideNow;
    for (uint32_t k = 0; k < n; k++, x += step) {
        WideTap_T t = wideTap(kern, w, x);
        float a = 0, b = 0;
        for (int j = 0; j < kern->taps; j++) {
            a += t.row[j] * t.frames[j];
            b += t.row[j + kern->taps] * t.frames[j];
        }
        dst[k] = a + (b - a) * t.blend;
    }
}
#else
void sincWideSse2(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    const WideKernel_T* kern = wideNow;
    const int taps = kern->taps;
    for (uint32_t k = 0; k < n; k++, x += step) {
        WideTap_T t = wideTap(kern, w, x);
        __m128 a = _mm_setzero_ps(), b = _mm_setzero_ps();
        for (int j = 0; j < taps; j += 4) {
            __m128 s = _mm_loadu_ps(t.frames + j);
            a = _mm_add_ps(a, _mm_mul_ps(_mm_loadu_ps(t.row + j), s));
            b = _mm_add_ps(b, _mm_mul_ps(_mm_loadu_ps(t.row + taps + j), s));
        }
        dst[k] = sum4(_mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), _mm_set1_ps(t.blend))));
    }
}

__attribute__((target("avx2,fma"))) void sincWideAvx2(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    const WideKernel_T* kern = wideNow;
    const int taps = kern->taps;
    for (uint32_t k = 0; k < n; k++, x += step) {
        WideTap_T t = wideTap(kern, w, x);
        __m256 a = _mm256_setzero_ps(), b = _mm256_setzero_ps();
        for (int j = 0; j < taps; j += 8) {
            __m256 s = _mm256_loadu_ps(t.frames + j);
            a = _mm256_fmadd_ps(_mm256_loadu_ps(t.row + j), s, a);
            b = _mm256_fmadd_ps(_mm256_loadu_ps(t.row + taps + j), s, b);
        }
        a = _mm256_fmadd_ps(_mm256_sub_ps(b, a), _mm256_set1_ps(t.blend), a);
        dst[k] = sum4(_mm_add_ps(_mm256_castps256_ps128(a), _mm256_extractf128_ps(a, 1)));
    }
}
#endif

} // namespace

dsmInterp_T dsm_interpolator(int quality, int64_t step)
{
    if (quality == DSM_QUALITY_LINEAR)
        return linear;
    if (quality == DSM_QUALITY_CUBIC)
        return cubic;
    if (step > 65536 || step < -65536) {
        wideNow = wideKernelFor(step);
#if DSM_X86
        return hasAvx2() ? sincWideAvx2 : sincWideSse2;
#else
        return sincWidePlain;
#endif
    }
#if DSM_X86
    return hasAvx2() ? sincAvx2 : sincSse2;
#else
    return sincPlain;
#endif
}

int dsm_interpMargin(int quality, int64_t step)
{
    if (quality != DSM_QUALITY_SINC)
        return 3;
    if (step > 65536 || step < -65536)
        return wideReach(wideKey(step)) + 9;    // the taps padded to a multiple of 8
    return DSM_SINC_HALF + 2;
}

const char* dsm_interpVector()
{
#if DSM_X86
    return hasAvx2() ? "avx2" : "sse2";
#else
    return "none";
#endif
}
