// Mixing loops, generated from one template: how a sample frame becomes the
// left and right values (the path and sample type) and where they are added
// (the panning) are template parameters, so each routine is a plain loop
// with no call inside.
#include "music/mixer/dsm_routines.h"

#include "music/mixer/dsm.h"

namespace {

// A Kind reads one value of a sample (index counts values: frame x values
// per frame + side) and scales it for the left or the right side.
// Integer path, 8-bit and mu-law: the volume table row already holds the
// scaled value.
struct Int8 {
    using Out = int32_t;
    using In = int;
    static In at(const uint8_t* d, int64_t i) { return d[i]; }
    static Out left(const dsmVoice_T& v, In s) { return v.tabL[s]; }
    static Out right(const dsmVoice_T& v, In s) { return v.tabR[s]; }
};
// Integer path, 16-bit: a multiplier with 8 fraction bits.
struct Int16 {
    using Out = int32_t;
    using In = int;
    static In at(const uint8_t* d, int64_t i) { return ((const int16_t*)d)[i]; }
    static Out left(const dsmVoice_T& v, In s) { return (s * v.mulL) >> 8; }
    static Out right(const dsmVoice_T& v, In s) { return (s * v.mulR) >> 8; }
};
// Floating-point path: one factor per side (surround has a negative right
// factor), 8-bit bytes and mu-law codes through their float tables.
struct Float8 {
    using Out = float;
    using In = float;
    static In at(const uint8_t* d, int64_t i) { return dsmFloatTable[d[i]]; }
    static Out left(const dsmVoice_T& v, In s) { return v.facL * s; }
    static Out right(const dsmVoice_T& v, In s) { return v.facR * s; }
};
struct FloatMu : Float8 {
    static In at(const uint8_t* d, int64_t i) { return dsmMuLawFloat[d[i]]; }
};
struct Float16 : Float8 {
    static In at(const uint8_t* d, int64_t i) { return (float)((const int16_t*)d)[i]; }
};

// One output frame from the sample frame at p; Values is 1 for mono
// samples, 2 for stereo ones.
template <typename Kind, int Pan, bool Stereo, int Values>
inline void mixFrame(const dsmVoice_T& v, typename Kind::Out* out, dsmPos_T p)
{
    int64_t i = (p >> DSM_POS_SHIFT) * Values;
    typename Kind::In s = Kind::at(v.data, i);
    typename Kind::In r = Values == 2 ? Kind::at(v.data, i + 1) : s;
    if (!Stereo) {
        out[0] += Kind::left(v, s);
        if (Values == 2)
            out[0] += Kind::left(v, r);
    } else if (Pan == DSM_PAN_CENTRE) {
        typename Kind::Out x = Kind::left(v, s);
        out[0] += x;
        out[1] += Values == 2 ? Kind::left(v, r) : x;
    } else if (Pan == DSM_PAN_SURROUND) {
        typename Kind::Out x = Kind::left(v, s);
        out[0] += x;
        out[1] -= Values == 2 ? Kind::left(v, r) : x;
    } else if (Pan == DSM_PAN_LEFT) {
        out[0] += Kind::left(v, s);
    } else if (Pan == DSM_PAN_RIGHT) {
        out[1] += Kind::right(v, r);
    } else {
        out[0] += Kind::left(v, s);
        out[1] += Kind::right(v, r);
    }
}

// Four frames per pass while at least four remain, each from its own
// position p + k x step, then one at a time: the same positions and sums as
// the plain loop.
template <typename Kind, int Pan, bool Stereo, int Values>
dsmPos_T mix(const dsmVoice_T& voice, void* outv, uint32_t count)
{
    const dsmVoice_T v = voice;     // a copy the buffer cannot alias: factors stay in registers
    typename Kind::Out* out = (typename Kind::Out*)outv;
    const int values = Stereo ? 2 : 1;
    const dsmPos_T step = v.step;
    dsmPos_T p = v.pos;
    for (uint32_t quads = count / 4; quads > 0; quads--, p += 4 * step, out += 4 * values) {
        mixFrame<Kind, Pan, Stereo, Values>(v, out, p);
        mixFrame<Kind, Pan, Stereo, Values>(v, out + values, p + step);
        mixFrame<Kind, Pan, Stereo, Values>(v, out + 2 * values, p + 2 * step);
        mixFrame<Kind, Pan, Stereo, Values>(v, out + 3 * values, p + 3 * step);
    }
    for (uint32_t rest = count % 4; rest > 0; rest--, p += step, out += values)
        mixFrame<Kind, Pan, Stereo, Values>(v, out, p);
    return p;
}

// The routines of one path, sample type and sample width: mono output, then
// stereo by DSM_PAN_*.
template <typename Kind, int Values>
struct Routines {
    static constexpr dsmRoutine_T mono = mix<Kind, DSM_PAN_GENERAL, false, Values>;
    static constexpr dsmRoutine_T stereo[5] = {
        mix<Kind, DSM_PAN_GENERAL, true, Values>, mix<Kind, DSM_PAN_CENTRE, true, Values>,
        mix<Kind, DSM_PAN_SURROUND, true, Values>, mix<Kind, DSM_PAN_LEFT, true, Values>,
        mix<Kind, DSM_PAN_RIGHT, true, Values>,
    };
    static dsmRoutine_T pick(int stereoOut, int pan) { return stereoOut ? stereo[pan] : mono; }
};

template <typename Kind>
dsmRoutine_T pickWidth(int sampleType, int stereo, int pan)
{
    return dsm_isStereoSample(sampleType) ? Routines<Kind, 2>::pick(stereo, pan) : Routines<Kind, 1>::pick(stereo, pan);
}

} // namespace

dsmRoutine_T dsm_routine(int integer, int sampleType, int stereo, int pan)
{
    int is16 = dsm_is16BitSample(sampleType);
    if (integer)
        return is16 ? pickWidth<Int16>(sampleType, stereo, pan) : pickWidth<Int8>(sampleType, stereo, pan);
    if (is16)
        return pickWidth<Float16>(sampleType, stereo, pan);
    int muLaw = sampleType == DSM_SMP_MULAW || sampleType == DSM_SMP_MULAW_STEREO;
    return muLaw ? pickWidth<FloatMu>(sampleType, stereo, pan) : pickWidth<Float8>(sampleType, stereo, pan);
}
