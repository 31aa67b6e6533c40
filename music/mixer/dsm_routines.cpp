// Mixing loops, generated from one template: how a sample frame becomes the
// left and right values (the path and sample type) and where they are added
// (the panning) are template parameters, so each routine is a plain loop
// with no call inside.
#include "music/mixer/dsm_routines.h"

namespace {

// Integer path, 8-bit: the volume table row already holds the scaled value.
struct Int8 {
    using Out = int32_t;
    using In = int;
    static In at(const uint8_t* d, dsmPos_T p) { return d[p >> DSM_POS_SHIFT]; }
    static Out left(const dsmVoice_T& v, In s) { return v.tabL[s]; }
    static Out right(const dsmVoice_T& v, In s) { return v.tabR[s]; }
};
// Integer path, 16-bit: a multiplier with 8 fraction bits.
struct Int16 {
    using Out = int32_t;
    using In = int;
    static In at(const uint8_t* d, dsmPos_T p) { return ((const int16_t*)d)[p >> DSM_POS_SHIFT]; }
    static Out left(const dsmVoice_T& v, In s) { return (s * v.mulL) >> 8; }
    static Out right(const dsmVoice_T& v, In s) { return (s * v.mulR) >> 8; }
};
// Floating-point path: one factor per side (surround has a negative right
// factor), 8-bit bytes through the float table.
struct Float8 {
    using Out = float;
    using In = float;
    static In at(const uint8_t* d, dsmPos_T p) { return dsmFloatTable[d[p >> DSM_POS_SHIFT]]; }
    static Out left(const dsmVoice_T& v, In s) { return v.facL * s; }
    static Out right(const dsmVoice_T& v, In s) { return v.facR * s; }
};
struct Float16 {
    using Out = float;
    using In = float;
    static In at(const uint8_t* d, dsmPos_T p) { return (float)((const int16_t*)d)[p >> DSM_POS_SHIFT]; }
    static Out left(const dsmVoice_T& v, In s) { return v.facL * s; }
    static Out right(const dsmVoice_T& v, In s) { return v.facR * s; }
};

// One output frame from the sample frame at p.
template <typename Kind, int Pan, bool Stereo>
inline void mixFrame(const dsmVoice_T& v, typename Kind::Out* out, dsmPos_T p)
{
    typename Kind::In s = Kind::at(v.data, p);
    if (!Stereo) {
        out[0] += Kind::left(v, s);
    } else if (Pan == DSM_PAN_CENTRE) {
        typename Kind::Out x = Kind::left(v, s);
        out[0] += x;
        out[1] += x;
    } else if (Pan == DSM_PAN_SURROUND) {
        typename Kind::Out x = Kind::left(v, s);
        out[0] += x;
        out[1] -= x;
    } else if (Pan == DSM_PAN_LEFT) {
        out[0] += Kind::left(v, s);
    } else if (Pan == DSM_PAN_RIGHT) {
        out[1] += Kind::right(v, s);
    } else {
        out[0] += Kind::left(v, s);
        out[1] += Kind::right(v, s);
    }
}

// Four frames per pass while at least four remain, each from its own
// position p + k x step, then one at a time: the same positions and sums as
// the plain loop.
template <typename Kind, int Pan, bool Stereo>
dsmPos_T mix(const dsmVoice_T& voice, void* outv, uint32_t count)
{
    const dsmVoice_T v = voice;     // a copy the buffer cannot alias: factors stay in registers
    typename Kind::Out* out = (typename Kind::Out*)outv;
    const int values = Stereo ? 2 : 1;
    const dsmPos_T step = v.step;
    dsmPos_T p = v.pos;
    for (uint32_t quads = count / 4; quads > 0; quads--, p += 4 * step, out += 4 * values) {
        mixFrame<Kind, Pan, Stereo>(v, out, p);
        mixFrame<Kind, Pan, Stereo>(v, out + values, p + step);
        mixFrame<Kind, Pan, Stereo>(v, out + 2 * values, p + 2 * step);
        mixFrame<Kind, Pan, Stereo>(v, out + 3 * values, p + 3 * step);
    }
    for (uint32_t rest = count % 4; rest > 0; rest--, p += step, out += values)
        mixFrame<Kind, Pan, Stereo>(v, out, p);
    return p;
}

// The routines of one path and sample type: mono output, then stereo by
// DSM_PAN_*.
template <typename Kind>
struct Routines {
    static constexpr dsmRoutine_T mono = mix<Kind, DSM_PAN_GENERAL, false>;
    static constexpr dsmRoutine_T stereo[5] = {
        mix<Kind, DSM_PAN_GENERAL, true>, mix<Kind, DSM_PAN_CENTRE, true>, mix<Kind, DSM_PAN_SURROUND, true>,
        mix<Kind, DSM_PAN_LEFT, true>, mix<Kind, DSM_PAN_RIGHT, true>,
    };
    static dsmRoutine_T pick(int stereoOut, int pan) { return stereoOut ? stereo[pan] : mono; }
};

} // namespace

dsmRoutine_T dsm_routine(int integer, int sampleType, int stereo, int pan)
{
    int is16 = sampleType == 2;
    if (integer)
        return is16 ? Routines<Int16>::pick(stereo, pan) : Routines<Int8>::pick(stereo, pan);
    return is16 ? Routines<Float16>::pick(stereo, pan) : Routines<Float8>::pick(stereo, pan);
}
