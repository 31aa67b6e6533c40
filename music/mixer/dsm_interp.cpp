// Linear, cubic and windowed-sinc interpolation over a window of floats.
//
// The 32-tap dot product of the sinc interpolator is written three ways:
// AVX2 with FMA, chosen at run time on processors that have both; SSE2,
// which every x86-64 processor has; and plain code elsewhere (the web
// build). They add the same products in different orders, so their results
// differ in the last bits of a float, far under the 16-bit output's step.
#include "music/mixer/dsm_interp.h"

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
        a = _mm_add_ps(a, b);
        a = _mm_add_ps(a, _mm_movehl_ps(a, a));
        a = _mm_add_ss(a, _mm_shuffle_ps(a, a, 1));
        dst[k] = _mm_cvtss_f32(a);
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
        __m128 c = _mm_add_ps(_mm256_castps256_ps128(a), _mm256_extractf128_ps(a, 1));
        c = _mm_add_ps(c, _mm_movehl_ps(c, c));
        c = _mm_add_ss(c, _mm_shuffle_ps(c, c, 1));
        dst[k] = _mm_cvtss_f32(c);
    }
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

// A sample faster than the output: the kernel stretched by the step s (its
// cutoff at 0.95 of the output's Nyquist frequency), read from the fine
// curve between its entries, with the weights divided by their sum so a
// constant stays exact.
void sincWide(const float* w, int64_t x, int64_t step, uint32_t n, float* dst)
{
    int64_t s16 = step < 0 ? -step : step;
    if (s16 > kMaxWiden * 65536)
        s16 = kMaxWiden * 65536;
    const double perFrame = (double)DSM_SINC_PHASES * 65536.0 / (double)s16;   // curve entries per frame
    const int reach = (int)((DSM_SINC_HALF * s16 + 65535) >> 16);
    const double centre = (double)DSM_SINC_HALF * DSM_SINC_PHASES;
    const int last = DSM_SINC_TAPS * DSM_SINC_PHASES;
    for (uint32_t k = 0; k < n; k++, x += step) {
        int64_t i = x >> 16;
        double t = (double)(x & 0xFFFF) * (1.0 / 65536.0);
        float acc = 0, sum = 0;
        for (int j = -reach + 1; j <= reach; j++) {
            double u = (j - t) * perFrame + centre;
            if (u < 0.0 || u >= last)
                continue;
            int c = (int)u;
            float f = (float)(u - c);
            float h = dsmSincCurve[c] + (dsmSincCurve[c + 1] - dsmSincCurve[c]) * f;
            acc += h * w[i + j];
            sum += h;
        }
        dst[k] = acc / sum;
    }
}

} // namespace

dsmInterp_T dsm_interpolator(int quality, int64_t step)
{
    if (quality == DSM_QUALITY_LINEAR)
        return linear;
    if (quality == DSM_QUALITY_CUBIC)
        return cubic;
    if (step > 65536 || step < -65536)
        return sincWide;
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
    int64_t s16 = step < 0 ? -step : step;
    if (s16 > kMaxWiden * 65536)
        s16 = kMaxWiden * 65536;
    int reach = s16 > 65536 ? (int)((DSM_SINC_HALF * s16 + 65535) >> 16) : DSM_SINC_HALF;
    return reach + 2;
}

const char* dsm_interpVector()
{
#if DSM_X86
    return hasAvx2() ? "avx2" : "sse2";
#else
    return "none";
#endif
}
