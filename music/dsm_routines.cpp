// Mixing loops, generated from one template per path: the sample fetch and
// the way left and right are added are template parameters, so each routine
// is a plain loop with no call inside.
#include "music/dsm_routines.h"

namespace {

struct Fetch8 {
    static int at(const uint8_t* d, dsmPos_T p) { return d[p >> DSM_POS_SHIFT]; }
    static float value(const uint8_t* d, dsmPos_T p) { return dsmFloatTable[at(d, p)]; }
};
struct Fetch16 {
    static int at(const uint8_t* d, dsmPos_T p) { return ((const int16_t*)d)[p >> DSM_POS_SHIFT]; }
    static float value(const uint8_t* d, dsmPos_T p) { return (float)at(d, p); }
};

// Integer path, 8-bit: the volume table row already holds the scaled value.
template <int Pan, bool Stereo>
dsmPos_T mixInt8(const dsmVoice_T& v, void* outv, uint32_t count)
{
    int32_t* out = (int32_t*)outv;
    dsmPos_T p = v.pos;
    for (uint32_t i = 0; i < count; i++, p += v.step) {
        int s = Fetch8::at(v.data, p);
        if (!Stereo) {
            out[i] += v.tabL[s];
        } else if (Pan == DSM_PAN_CENTRE) {
            int32_t x = v.tabL[s];
            out[2 * i] += x;
            out[2 * i + 1] += x;
        } else if (Pan == DSM_PAN_SURROUND) {
            int32_t x = v.tabL[s];
            out[2 * i] += x;
            out[2 * i + 1] -= x;
        } else {
            out[2 * i] += v.tabL[s];
            out[2 * i + 1] += v.tabR[s];
        }
    }
    return p;
}

// Integer path, 16-bit: a multiplier with 8 fraction bits.
template <int Pan, bool Stereo>
dsmPos_T mixInt16(const dsmVoice_T& v, void* outv, uint32_t count)
{
    int32_t* out = (int32_t*)outv;
    dsmPos_T p = v.pos;
    for (uint32_t i = 0; i < count; i++, p += v.step) {
        int s = Fetch16::at(v.data, p);
        if (!Stereo) {
            out[i] += (s * v.mulL) >> 8;
        } else if (Pan == DSM_PAN_CENTRE) {
            int32_t x = (s * v.mulL) >> 8;
            out[2 * i] += x;
            out[2 * i + 1] += x;
        } else if (Pan == DSM_PAN_SURROUND) {
            int32_t x = (s * v.mulL) >> 8;
            out[2 * i] += x;
            out[2 * i + 1] -= x;
        } else {
            out[2 * i] += (s * v.mulL) >> 8;
            out[2 * i + 1] += (s * v.mulR) >> 8;
        }
    }
    return p;
}

// Floating-point path: one factor per side (surround has a negative right
// factor), 8-bit bytes through the float table.
template <typename Fetch, bool Stereo>
dsmPos_T mixFloat(const dsmVoice_T& v, void* outv, uint32_t count)
{
    float* out = (float*)outv;
    dsmPos_T p = v.pos;
    for (uint32_t i = 0; i < count; i++, p += v.step) {
        float s = Fetch::value(v.data, p);
        if (Stereo) {
            out[2 * i] += v.facL * s;
            out[2 * i + 1] += v.facR * s;
        } else {
            out[i] += v.facL * s;
        }
    }
    return p;
}

} // namespace

dsmRoutine_T dsm_routine(int integer, int sampleType, int stereo, int pan)
{
    static const dsmRoutine_T int8[2][3] = {
        {mixInt8<DSM_PAN_GENERAL, false>, mixInt8<DSM_PAN_GENERAL, false>, mixInt8<DSM_PAN_GENERAL, false>},
        {mixInt8<DSM_PAN_GENERAL, true>, mixInt8<DSM_PAN_CENTRE, true>, mixInt8<DSM_PAN_SURROUND, true>},
    };
    static const dsmRoutine_T int16[2][3] = {
        {mixInt16<DSM_PAN_GENERAL, false>, mixInt16<DSM_PAN_GENERAL, false>, mixInt16<DSM_PAN_GENERAL, false>},
        {mixInt16<DSM_PAN_GENERAL, true>, mixInt16<DSM_PAN_CENTRE, true>, mixInt16<DSM_PAN_SURROUND, true>},
    };
    static const dsmRoutine_T flt[2][2] = {
        {mixFloat<Fetch8, false>, mixFloat<Fetch8, true>},
        {mixFloat<Fetch16, false>, mixFloat<Fetch16, true>},
    };
    int s = stereo ? 1 : 0;
    int is16 = sampleType == 2 ? 1 : 0;
    if (!integer)
        return flt[is16][s];
    return is16 ? int16[s][pan] : int8[s][pan];
}
