// The voices' resonant low-pass filter: its coefficients from a cutoff and
// a resonance (the tracker's 0..127 scales: 110 Hz x 2^(0.25 + cutoff / 24),
// up to 24 dB of resonance), and the mixing loops of filtered voices. A
// filtered voice runs through floats on both numeric paths; the integer
// path adds the result rounded down to its integer buffer.
#include <cmath>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_routines.h"
#include "music/mp_errors.h"

int dsm_setFilter(int channel, int cutoff, int resonance)
{
    if (!dsmChannelsOpen || channel < 0 || channel >= dsmChannels)
        return MPERR_INVALID_CHANNEL;
    dsmChannel_T* ch = &dsmChannel[channel];
    cutoff = cutoff < 0 ? 0 : cutoff > 127 ? 127 : cutoff;
    resonance = resonance < 0 ? 0 : resonance > 127 ? 127 : resonance;
    if (cutoff == ch->filterCutoff && resonance == ch->filterResonance && (ch->filter.on || cutoff == 127))
        return MPERR_OK;
    ch->filterCutoff = cutoff;
    ch->filterResonance = resonance;
    dsmFilter_T& f = ch->filter;
    if (cutoff == 127 && resonance == 0) {
        f.on = 0;
        return MPERR_OK;
    }
    if (!f.on)
        f.y1 = f.y2 = 0;
    f.on = 1;
    double hz = 110.0 * std::exp2(0.25 + cutoff / 24.0);
    if (hz > dsmRate / 2.0)
        hz = dsmRate / 2.0;
    double w = 2.0 * 3.14159265358979 * hz / dsmRate;
    double damping = std::pow(10.0, -(24.0 / 128.0) * resonance / 20.0);
    double d = (1.0 - 2.0 * damping) * w;
    if (d > 2.0)
        d = 2.0;
    d = (2.0 * damping - d) / w;
    double e = 1.0 / (w * w);
    f.a = (float)(1.0 / (1.0 + d + e));
    f.b = (float)((d + e + e) * f.a);
    f.c = (float)(-e * f.a);
    return MPERR_OK;
}

namespace {

inline float sampleAt(const uint8_t* d, dsmPos_T p, bool is16)
{
    return is16 ? (float)((const int16_t*)d)[p >> DSM_POS_SHIFT] : dsmFloatTable[d[p >> DSM_POS_SHIFT]];
}

template <typename Out>
inline void add(Out* out, float x)
{
    *out += (Out)x;
}

// One loop per sample size, output kind and channel count; the filter's
// state stays in registers for the stretch and goes back at its end.
template <bool Is16, typename Out, bool Stereo>
dsmPos_T mixFiltered(const dsmVoice_T& voice, void* outv, uint32_t count)
{
    const dsmVoice_T v = voice;
    dsmFilter_T* f = v.filter;
    const float a = f->a, b = f->b, c = f->c;
    float y1 = f->y1, y2 = f->y2;
    Out* out = (Out*)outv;
    dsmPos_T p = v.pos;
    for (uint32_t k = 0; k < count; k++, p += v.step) {
        float y = a * sampleAt(v.data, p, Is16) + b * y1 + c * y2;
        y2 = y1;
        y1 = y;
        add(out++, v.facL * y);
        if (Stereo)
            add(out++, v.facR * y);
    }
    f->y1 = y1;
    f->y2 = y2;
    return p;
}

template <bool Is16, typename Out>
dsmRoutine_T pick(int stereo)
{
    return stereo ? mixFiltered<Is16, Out, true> : mixFiltered<Is16, Out, false>;
}

} // namespace

dsmRoutine_T dsm_setUpFiltered(dsmChannel_T* ch, dsmVoice_T* v, int stereo)
{
    // The scale of the unfiltered loops, which both paths share for 16-bit
    // values (the integer path's multiplier has 8 fraction bits of its 28).
    double scale = (double)dsmAmplification / ((double)dsmChannels * 268435456.0);
    v->facL = (float)(ch->leftVol * scale);
    v->facR = (float)(ch->rightVol * scale);
    if (ch->panning == DSM_SURROUND)
        v->facR = -v->facR;
    v->filter = &ch->filter;
    bool is16 = ch->type == DSM_SMP_16BIT;
    if (dsmInteger)
        return is16 ? pick<true, int32_t>(stereo) : pick<false, int32_t>(stereo);
    return is16 ? pick<true, float>(stereo) : pick<false, float>(stereo);
}
