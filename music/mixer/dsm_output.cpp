// The mixer's last steps: the output filter and the conversion of the
// mixing buffer to 16-bit or 8-bit frames, done together in one pass.
//
// The pass runs over the buffer's values in order, left and right together.
// The filter reads the inputs one and two frames back, which for the first
// frames are the previous call's, kept as a history. On 16-bit output the
// values from the third frame on go eight at a time through SSE2 where the
// processor has it, with the same arithmetic and rounding as the one-by-one
// code, which does the rest.
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "music/mixer/dsm.h"

// The filter's memory per path: the inputs two frames back, then one frame
// back, one value per output channel.
static int32_t historyInt[4];
static float historyFloat[4];

void dsm_resetFilter()
{
    std::memset(historyInt, 0, sizeof historyInt);
    std::memset(historyFloat, 0, sizeof historyFloat);
}

static int32_t toInt(int32_t v) { return v; }
static int32_t toInt(float v)
{
    if (v >= 2147483520.0f)
        return INT32_MAX;
    if (v <= -2147483648.0f)
        return INT32_MIN;
    return (int32_t)std::lrintf(v);     // nearest
}

// Mode 1 blends two inputs (2 x[t] + x[t-1]) / 3, which the integer path
// approximates as 11/32 of the sum with shifts; mode 2 blends three,
// (4, 3, 1) / 8.
static int32_t filter1(int32_t x, int32_t x1)
{
    int32_t s = 2 * x + x1;
    return (s >> 2) + (s >> 3) - (s >> 5);
}
static float filter1(float x, float x1) { return (2.0f * x + x1) * (1.0f / 3.0f); }
static int32_t filter2(int32_t x, int32_t x1, int32_t x2) { return (4 * x + 3 * x1 + x2) >> 3; }
static float filter2(float x, float x1, float x2) { return (4.0f * x + 3.0f * x1 + x2) * 0.125f; }

// One value: k indexes the buffer; inputs before it come from the history.
template <typename T, int Mode, int Channels, bool Bits8>
static void convertOne(const T* buf, int64_t k, uint8_t* destination, const T (&history)[4])
{
    auto at = [&](int64_t j) { return j >= 0 ? buf[j] : history[j + 2 * Channels]; };
    T x = at(k), x1 = at(k - Channels), x2 = at(k - 2 * Channels);
    T y = Mode == 1 ? filter1(x, x1) : Mode == 2 ? filter2(x, x1, x2) : x;
    int32_t v = toInt(y);
    if (Bits8) {
        v >>= 8;
        destination[k] = (uint8_t)((v < -128 ? -128 : v > 127 ? 127 : v) + 128);
    } else {
        ((int16_t*)destination)[k] = (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
    }
}

#if defined(__SSE2__)
// The filtered values at buf[k..k+3], as the one-by-one code computes them.
template <int Mode, int Channels>
static __m128i filtered4(const int32_t* buf, int64_t k)
{
    __m128i x = _mm_loadu_si128((const __m128i*)(buf + k));
    __m128i x1 = _mm_loadu_si128((const __m128i*)(buf + k - Channels));
    if (Mode == 1) {
        __m128i s = _mm_add_epi32(_mm_slli_epi32(x, 1), x1);
        return _mm_sub_epi32(_mm_add_epi32(_mm_srai_epi32(s, 2), _mm_srai_epi32(s, 3)), _mm_srai_epi32(s, 5));
    }
    if (Mode == 2) {
        __m128i x2 = _mm_loadu_si128((const __m128i*)(buf + k - 2 * Channels));
        __m128i threeX1 = _mm_add_epi32(_mm_add_epi32(x1, x1), x1);
        return _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(x, 2), threeX1), x2), 3);
    }
    return x;
}

// Floats are held to -32768..32767 before rounding, which gives every value
// the result of rounding first and limiting after, as toInt and the limits
// do. NaN, which the one-by-one code turns into 0 (lrintf's out-of-range
// answer cut to 32 bits), is made 0 first. CVTPS2DQ rounds by the current
// rounding mode, as lrintf does.
template <int Mode, int Channels>
static __m128i filtered4(const float* buf, int64_t k)
{
    __m128 x = _mm_loadu_ps(buf + k);
    __m128 x1 = _mm_loadu_ps(buf + k - Channels);
    __m128 y = x;
    if (Mode == 1)
        y = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(2.0f), x), x1), _mm_set1_ps(1.0f / 3.0f));
    if (Mode == 2) {
        __m128 x2 = _mm_loadu_ps(buf + k - 2 * Channels);
        __m128 sum = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(4.0f), x), _mm_mul_ps(_mm_set1_ps(3.0f), x1));
        y = _mm_mul_ps(_mm_add_ps(sum, x2), _mm_set1_ps(0.125f));
    }
    y = _mm_and_ps(y, _mm_cmpord_ps(y, y));
    y = _mm_min_ps(_mm_max_ps(y, _mm_set1_ps(-32768.0f)), _mm_set1_ps(32767.0f));
    return _mm_cvtps_epi32(y);
}

// 16-bit output of buf[k..] eight values at a time while eight remain, from
// the third frame on (k >= 2 x Channels); returns where it stopped. PACKSSDW
// limits to -32768..32767.
template <int Mode, int Channels, typename T>
static int64_t convertVector16(const T* buf, int64_t k, int64_t total, int16_t* out)
{
    for (; k + 8 <= total; k += 8) {
        __m128i a = filtered4<Mode, Channels>(buf, k);
        __m128i b = filtered4<Mode, Channels>(buf, k + 4);
        _mm_storeu_si128((__m128i*)(out + k), _mm_packs_epi32(a, b));
    }
    return k;
}
#else
template <int Mode, int Channels, typename T>
static int64_t convertVector16(const T*, int64_t k, int64_t, int16_t*) { return k; }
#endif

template <typename T, int Mode, int Channels, bool Bits8>
static void convert(const T* buf, uint32_t frames, uint8_t* destination, T (&history)[4])
{
    const int64_t total = (int64_t)frames * Channels;
    int64_t k = 0;
    for (; k < total && k < 2 * Channels; k++)
        convertOne<T, Mode, Channels, Bits8>(buf, k, destination, history);
    if (!Bits8)
        k = convertVector16<Mode, Channels>(buf, k, total, (int16_t*)destination);
    for (; k < total; k++)
        convertOne<T, Mode, Channels, Bits8>(buf, k, destination, history);

    // The last two frames' inputs, which may still include the history's.
    T last[2 * Channels];
    for (int j = 0; j < 2 * Channels; j++) {
        int64_t at = total - 2 * Channels + j;
        last[j] = at >= 0 ? buf[at] : history[at + 2 * Channels];
    }
    std::memcpy(history, last, sizeof last);
}

template <typename T, int Channels, bool Bits8>
static void convertMode(const T* buf, uint32_t frames, uint8_t* destination, T (&history)[4], int mode)
{
    if (mode == 1)
        convert<T, 1, Channels, Bits8>(buf, frames, destination, history);
    else if (mode == 2)
        convert<T, 2, Channels, Bits8>(buf, frames, destination, history);
    else
        convert<T, 0, Channels, Bits8>(buf, frames, destination, history);
}

template <typename T>
static void convertAny(const T* buf, uint32_t frames, uint8_t* destination, T (&history)[4], int mode)
{
    bool stereo = (dsmMode & DSM_STEREO) != 0, bits8 = (dsmMode & DSM_8BIT) != 0;
    if (stereo && !bits8)
        convertMode<T, 2, false>(buf, frames, destination, history, mode);
    else if (stereo)
        convertMode<T, 2, true>(buf, frames, destination, history, mode);
    else if (!bits8)
        convertMode<T, 1, false>(buf, frames, destination, history, mode);
    else
        convertMode<T, 1, true>(buf, frames, destination, history, mode);
}

void dsm_filterAndConvert(void* buffer, uint32_t frames, uint8_t* destination)
{
    int mode = dsmFilterMode == 3 ? dsmAutoFilter : dsmFilterMode;
    if (dsmInteger)
        convertAny((const int32_t*)buffer, frames, destination, historyInt, mode);
    else
        convertAny((const float*)buffer, frames, destination, historyFloat, mode);
}
