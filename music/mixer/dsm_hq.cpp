// The high-quality mode's mixing of one voice: its sample frames around the
// played stretch laid out as floats with the loops unrolled (a loop's start
// follows its end, a back-and-forth loop mirrors at both ends, nothing past
// the sample's end but silence), interpolated, filtered, and added to the
// mixing buffer with the voice's volume ramps. Also the fading copies that
// let a cut or replaced note end in a ramp while the new one starts on time.
#include <algorithm>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_interp.h"
#include "music/mixer/dsm_kernel.h"
#include "music/mixer/dsm_loop.h"
#include "music/mixer/dsm_routines.h"

namespace {

// Output frames interpolated at a time, and the sample frames of the window
// they read (a step of up to 7 frames fits a whole block).
enum { BLOCK = 512, WINDOW = 4096 };

float windowL[WINDOW], windowR[WINDOW];
float valuesL[BLOCK], valuesR[BLOCK];

// The loop that decides what the frames beyond the played ones are.
struct TapLoop_T {
    int type;
    int64_t start, end;
    int wrapsBack;      // the frames before the start are the loop's own
};

TapLoop_T tapLoop(const dsmChannel_T* ch)
{
    // Released in its first loop: plays on through the loop's end into the second.
    if (ch->status == DSM_RELEASED && ch->loopNumber == 1)
        return {ch->loop2Type, ch->loop2Start, ch->loop2End, 0};
    if (ch->loopNumber == 2)
        return {ch->loop2Type, ch->loop2Start, ch->loop2End, ch->looped};
    return {ch->loop1Type, ch->loop1Start, ch->loop1End, ch->looped};
}

// The sample frame that stands at index i of the unrolled sample, or -1 for silence.
int64_t frameAt(const TapLoop_T& loop, int64_t length, int64_t i)
{
    if (loop.type != DSM_LT_NONE && (i >= loop.end || (loop.wrapsBack && i < loop.start)))
        return dsm_loopFrame({loop.type, (uint32_t)loop.start, (uint32_t)loop.end}, length, i);
    return i >= 0 && i < length ? i : -1;
}

// Frames [from, from + n) of the sample as floats on the 16-bit scale, one
// array per side of a stereo sample.
void convert(const dsmChannel_T* ch, int64_t from, int64_t n, float* left, float* right)
{
    const uint8_t* d = ch->data;
    int stereo = dsm_isStereoSample(ch->type);
    for (int side = 0; side <= stereo; side++) {
        float* dst = side ? right : left;
        int64_t at = from * (stereo + 1) + side;
        int64_t stride = stereo + 1;
        if (dsm_is16BitSample(ch->type))
            for (int64_t k = 0; k < n; k++, at += stride)
                dst[k] = (float)((const int16_t*)d)[at];
        else if (ch->type == DSM_SMP_MULAW || ch->type == DSM_SMP_MULAW_STEREO)
            for (int64_t k = 0; k < n; k++, at += stride)
                dst[k] = dsmMuLawFloat[d[at]];
        else
            for (int64_t k = 0; k < n; k++, at += stride)
                dst[k] = dsmFloatTable[d[at]];
    }
}

// The unrolled sample's frames [first, first + n) into the windows.
void gather(const dsmChannel_T* ch, int64_t first, int64_t n)
{
    TapLoop_T loop = tapLoop(ch);
    int64_t length = ch->length;
    // Where the unrolled sample is the sample itself.
    int64_t lo = loop.type != DSM_LT_NONE && loop.wrapsBack ? loop.start : 0;
    int64_t hi = loop.type != DSM_LT_NONE ? loop.end : length;
    int64_t a = std::max(first, lo), b = std::min(first + n, hi);
    if (a < b)
        convert(ch, a, b - a, windowL + (a - first), windowR + (a - first));
    for (int64_t i = first; i < first + n; i++) {
        if (i >= a && i < b)
            continue;
        int64_t f = frameAt(loop, length, i);
        if (f < 0)
            windowL[i - first] = windowR[i - first] = 0.0f;
        else
            convert(ch, f, 1, windowL + (i - first), windowR + (i - first));
    }
}

// The voice's resonant filter over its values, as the plain path runs it.
void filterValues(dsmFilter_T* f, float* v, uint32_t n)
{
    float y1 = f->y1, y2 = f->y2;
    for (uint32_t k = 0; k < n; k++) {
        float y = f->a * v[k] + f->b * y1 + f->c * y2;
        y2 = y1;
        y1 = y;
        v[k] = y;
    }
    f->y1 = y1;
    f->y2 = y2;
}

// Adds values times the gains at frames [k, end) of out.
template <bool StereoOut, bool StereoSample>
inline void addFrame(float* out, uint32_t k, float gL, float gR)
{
    float l = valuesL[k], r = StereoSample ? valuesR[k] : l;
    if (!StereoOut) {
        out[k] += gL * (StereoSample ? l + r : l);
    } else {
        out[2 * k] += gL * l;
        out[2 * k + 1] += gR * r;
    }
}

// Adds n frames with the voice's gains, ramping while a ramp runs; returns
// 0 once a fading record has reached silence (it is then free).
template <bool StereoOut, bool StereoSample>
int addGains(dsmChannel_T* ch, float* out, uint32_t n)
{
    uint32_t k = 0;
    if (ch->ramping) {
        for (; k < n && ch->rampPos < dsmRampFrames; k++, ch->rampPos++) {
            float s = dsmRampShape[ch->rampPos];
            ch->gainL = ch->rampFromL + (ch->rampToL - ch->rampFromL) * s;
            ch->gainR = ch->rampFromR + (ch->rampToR - ch->rampFromR) * s;
            addFrame<StereoOut, StereoSample>(out, k, ch->gainL, ch->gainR);
        }
        if (ch->rampPos >= dsmRampFrames) {
            ch->ramping = 0;
            ch->gainL = ch->rampToL;
            ch->gainR = ch->rampToR;
        }
    }
    if (ch->gainL == 0.0f && ch->gainR == 0.0f)
        return ch->ramping || ch->status != DSM_FADING;
    const float gL = ch->gainL, gR = ch->gainR;
    for (; k < n; k++)
        addFrame<StereoOut, StereoSample>(out, k, gL, gR);
    return 1;
}

using AddGains_T = int (*)(dsmChannel_T*, float*, uint32_t);

AddGains_T addGainsFor(int stereoOut, int stereoSample)
{
    if (stereoOut)
        return stereoSample ? addGains<true, true> : addGains<true, false>;
    return stereoSample ? addGains<false, true> : addGains<false, false>;
}

// The factors the voice's volumes ask for now (a fading record: silence),
// and a ramp towards them when they differ from where the gains are going.
void aimGains(dsmChannel_T* ch, int stereoOut)
{
    float toL = 0, toR = 0;
    if (ch->status != DSM_FADING) {
        int halve = !stereoOut && dsm_isStereoSample(ch->type) ? 1 : 0;
        double scale = (double)dsmAmplification / ((double)dsmChannels * 268435456.0);
        toL = (float)((ch->leftVol >> halve) * scale);
        toR = (float)((ch->rightVol >> halve) * scale);
        if (ch->panning == DSM_SURROUND)
            toR = -toR;
    }
    bool moving = ch->ramping ? toL != ch->rampToL || toR != ch->rampToR : toL != ch->gainL || toR != ch->gainR;
    if (!moving)
        return;
    ch->rampFromL = ch->gainL;
    ch->rampFromR = ch->gainR;
    ch->rampToL = toL;
    ch->rampToR = toR;
    ch->rampPos = 0;
    ch->ramping = 1;
}

} // namespace

int64_t dsm_mixVoiceHQ(dsmChannel_T* ch, int64_t p, int64_t step, uint32_t count, float* out)
{
    int stereoOut = (dsmMode & DSM_STEREO) != 0;
    aimGains(ch, stereoOut);
    if (!ch->ramping && ch->gainL == 0.0f && ch->gainR == 0.0f) {
        if (ch->status == DSM_FADING)
            ch->status = DSM_STOPPED;
        return p + step * count;       // silent: only the position moves
    }
    dsmInterp_T interp = dsm_interpolator(dsmQuality, step);
    AddGains_T add = addGainsFor(stereoOut, dsm_isStereoSample(ch->type));
    int margin = dsm_interpMargin(dsmQuality, step);
    int64_t perBlock = step == 0 ? (int64_t)BLOCK : ((int64_t)(WINDOW - 2 * margin - 2) << 16) / (step < 0 ? -step : step);
    bool filtered = ch->filter.on && !dsm_isStereoSample(ch->type);
    while (count > 0) {
        uint32_t n = (uint32_t)std::min<int64_t>({(int64_t)count, (int64_t)BLOCK, perBlock});
        int64_t last = p + step * (n - 1);
        int64_t first = (std::min(p, last) >> 16) - margin;
        int64_t frames = (std::max(p, last) >> 16) + margin + 1 - first;
        gather(ch, first, frames);
        int64_t x = p - first * 65536;     // first may be negative: a shift of it is undefined
        interp(windowL, x, step, n, valuesL);
        if (dsm_isStereoSample(ch->type))
            interp(windowR, x, step, n, valuesR);
        if (filtered)
            filterValues(&ch->filter, valuesL, n);
        int audible = add(ch, out, n);
        p += step * n;
        out += n * (stereoOut ? 2 : 1);
        count -= n;
        if (!audible) {             // a fading record gone silent is free
            ch->status = DSM_STOPPED;
            return p + step * count;
        }
    }
    return p;
}

void dsm_fadeOut(dsmChannel_T* ch)
{
    bool audible = ch->status >= DSM_PLAYING && (ch->ramping || ch->gainL != 0.0f || ch->gainR != 0.0f);
    if (audible && ch->data && ch->present) {
        // A free spare record, or the one furthest into its fade.
        dsmChannel_T* spare = nullptr;
        for (int r = dsmChannels; r < dsmRecords; r++) {
            dsmChannel_T* s = &dsmChannel[r];
            if (s->status != DSM_FADING) {
                spare = s;
                break;
            }
            if (!spare || s->rampPos > spare->rampPos)
                spare = s;
        }
        if (spare) {
            *spare = *ch;
            spare->status = DSM_FADING;
            spare->loopCallback = nullptr;
            spare->sampleChanged = 0;
            spare->rampFromL = ch->gainL;
            spare->rampFromR = ch->gainR;
            spare->rampToL = spare->rampToR = 0.0f;
            spare->rampPos = 0;
            spare->ramping = 1;
        }
    }
    ch->gainL = ch->gainR = 0.0f;
    ch->ramping = 0;
    ch->rampToL = ch->rampToR = 0.0f;
}
