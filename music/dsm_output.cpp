// The mixer's last steps: the output filter and the conversion of the
// mixing buffer to 16-bit or 8-bit frames.
#include <cmath>

#include "music/dsm.h"

static int32_t prevInt[2][2];   // [output channel][x(t-1), x(t-2)]
static float prevFloat[2][2];

void dsm_resetFilter()
{
    for (int c = 0; c < 2; c++)
        prevInt[c][0] = prevInt[c][1] = 0, prevFloat[c][0] = prevFloat[c][1] = 0.0f;
}

static int filterMode()
{
    return dsmFilterMode == 3 ? dsmAutoFilter : dsmFilterMode;
}

// Mode 1 blends two inputs (2 x[t] + x[t-1]) / 3, which the integer path
// approximates as 11/32 with shifts; mode 2 blends three, (4, 3, 1) / 8.
static void filterInt(int32_t* buf, uint32_t frames, int channels, int mode)
{
    for (int c = 0; c < channels; c++) {
        int32_t x1 = prevInt[c][0], x2 = prevInt[c][1];
        for (uint32_t i = 0; i < frames; i++) {
            int32_t& v = buf[i * channels + c];
            int32_t x = v;
            if (mode == 1) {
                int32_t s = 2 * x + x1;
                v = (s >> 2) + (s >> 3) - (s >> 5);
            } else {
                v = (4 * x + 3 * x1 + x2) >> 3;
            }
            x2 = x1;
            x1 = x;
        }
        prevInt[c][0] = x1;
        prevInt[c][1] = x2;
    }
}

static void filterFloat(float* buf, uint32_t frames, int channels, int mode)
{
    for (int c = 0; c < channels; c++) {
        float x1 = prevFloat[c][0], x2 = prevFloat[c][1];
        for (uint32_t i = 0; i < frames; i++) {
            float& v = buf[i * channels + c];
            float x = v;
            v = mode == 1 ? (2.0f * x + x1) / 3.0f : (4.0f * x + 3.0f * x1 + x2) * 0.125f;
            x2 = x1;
            x1 = x;
        }
        prevFloat[c][0] = x1;
        prevFloat[c][1] = x2;
    }
}

static int32_t roundFloat(float v)
{
    if (v >= 2147483520.0f)
        return INT32_MAX;
    if (v <= -2147483648.0f)
        return INT32_MIN;
    return (int32_t)std::lrintf(v);
}

static int32_t clampTo(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

void dsm_filterAndConvert(void* buffer, uint32_t frames, uint8_t* destination)
{
    int channels = (dsmMode & DSM_STEREO) ? 2 : 1;
    int mode = filterMode();
    if (mode == 1 || mode == 2) {
        if (dsmInteger)
            filterInt((int32_t*)buffer, frames, channels, mode);
        else
            filterFloat((float*)buffer, frames, channels, mode);
    }
    uint32_t values = frames * channels;
    const int32_t* bi = (const int32_t*)buffer;
    const float* bf = (const float*)buffer;
    if (dsmMode & DSM_8BIT) {
        for (uint32_t i = 0; i < values; i++) {
            int32_t v = dsmInteger ? bi[i] : roundFloat(bf[i]);
            destination[i] = (uint8_t)(clampTo(v >> 8, -128, 127) + 128);
        }
        return;
    }
    int16_t* out = (int16_t*)destination;
    for (uint32_t i = 0; i < values; i++) {
        int32_t v = dsmInteger ? bi[i] : roundFloat(bf[i]);
        out[i] = (int16_t)clampTo(v, -32768, 32767);
    }
}
