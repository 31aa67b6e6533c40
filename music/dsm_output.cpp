// The mixer's last steps: the output filter and the conversion of the
// mixing buffer to 16-bit or 8-bit frames, done together in one pass.
#include <cmath>
#include <cstring>

#include "music/dsm.h"

static int32_t prevInt[2][2];   // [output channel][x(t-1), x(t-2)]
static float prevFloat[2][2];

void dsm_resetFilter()
{
    std::memset(prevInt, 0, sizeof prevInt);
    std::memset(prevFloat, 0, sizeof prevFloat);
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

template <typename T, int Mode, int Channels, bool Bits8>
static void convert(const T* buf, uint32_t frames, uint8_t* destination, T (&prev)[2][2])
{
    int16_t* out16 = (int16_t*)destination;
    for (int c = 0; c < Channels; c++) {
        T x1 = prev[c][0], x2 = prev[c][1];
        for (uint32_t i = 0; i < frames; i++) {
            uint32_t at = i * Channels + c;
            T x = buf[at];
            T y = Mode == 1 ? filter1(x, x1) : Mode == 2 ? filter2(x, x1, x2) : x;
            x2 = x1;
            x1 = x;
            int32_t v = toInt(y);
            if (Bits8) {
                v >>= 8;
                destination[at] = (uint8_t)((v < -128 ? -128 : v > 127 ? 127 : v) + 128);
            } else {
                out16[at] = (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
            }
        }
        prev[c][0] = x1;
        prev[c][1] = x2;
    }
}

template <typename T, int Channels, bool Bits8>
static void convertMode(const T* buf, uint32_t frames, uint8_t* destination, T (&prev)[2][2], int mode)
{
    if (mode == 1)
        convert<T, 1, Channels, Bits8>(buf, frames, destination, prev);
    else if (mode == 2)
        convert<T, 2, Channels, Bits8>(buf, frames, destination, prev);
    else
        convert<T, 0, Channels, Bits8>(buf, frames, destination, prev);
}

template <typename T>
static void convertAny(const T* buf, uint32_t frames, uint8_t* destination, T (&prev)[2][2], int mode)
{
    bool stereo = (dsmMode & DSM_STEREO) != 0, bits8 = (dsmMode & DSM_8BIT) != 0;
    if (stereo && !bits8)
        convertMode<T, 2, false>(buf, frames, destination, prev, mode);
    else if (stereo)
        convertMode<T, 2, true>(buf, frames, destination, prev, mode);
    else if (!bits8)
        convertMode<T, 1, false>(buf, frames, destination, prev, mode);
    else
        convertMode<T, 1, true>(buf, frames, destination, prev, mode);
}

void dsm_filterAndConvert(void* buffer, uint32_t frames, uint8_t* destination)
{
    int mode = dsmFilterMode == 3 ? dsmAutoFilter : dsmFilterMode;
    if (dsmInteger)
        convertAny((const int32_t*)buffer, frames, destination, prevInt, mode);
    else
        convertAny((const float*)buffer, frames, destination, prevFloat, mode);
}
