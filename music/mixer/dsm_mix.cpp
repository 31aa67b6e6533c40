// Mixing the channels: stepping through each sample in 16.16 fixed point,
// stopping at every loop or end event. Without interpolation, except in the
// high-quality mode, whose voices go through dsm_hq.cpp.
#include <algorithm>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_loop.h"
#include "music/mixer/dsm_routines.h"

static int isTrackerMode(int mode) { return mode == DSM_LOOP_NONE || mode == DSM_LOOP_TRACKER; }

// The tracker way of changing the instrument without a new note: the new
// sample takes over when the old one ends or loops, from its loop start.
// Returns 1 when a pending change was applied.
static int trackerSampleChange(dsmChannel_T* ch, dsmPos_T* p)
{
    if (!ch->sampleChanged || !isTrackerMode(ch->loopMode))
        return 0;
    if (ch->sample < 1 || ch->sample > DSM_MAX_SAMPLES)
        return 0;
    const dsmSample_T& s = dsmSamples[ch->sample - 1];
    if (!s.inUse || !isTrackerMode(s.loopMode))
        return 0;
    dsm_takeSample(ch);
    ch->direction = 1;
    ch->loopNumber = 1;
    if (ch->loopMode == DSM_LOOP_TRACKER && ch->present) {
        *p = (dsmPos_T)ch->loop1Start << DSM_POS_SHIFT;
        ch->looped = 1;
    } else {
        ch->status = DSM_AT_END;
        *p = 0;
    }
    return 1;
}

static void handleEvent(int channel, dsmChannel_T* ch, dsmPos_T* p)
{
    dsmLoop_T loop = dsm_activeLoop(ch);
    dsmPos_T start = (dsmPos_T)loop.start << DSM_POS_SHIFT;
    dsmPos_T end = (dsmPos_T)loop.end << DSM_POS_SHIFT;
    if (loop.type == DSM_LT_NONE) {
        if (!trackerSampleChange(ch, p))
            ch->status = DSM_AT_END;
        return;
    }
    if (loop.type == DSM_LT_FORWARD) {
        if (ch->loopCallback)
            ch->loopCallback(channel);
        if (trackerSampleChange(ch, p))
            return;
        if (ch->status == DSM_RELEASED && ch->loopNumber == 1 && ch->direction > 0) {
            ch->loopNumber = 2;
            ch->looped = 0;
            return;
        }
        ch->looped = 1;
        // Past the end forward or the start backward: keep the overshoot,
        // however many loops it spans.
        *p = start + dsm_floorMod(*p - start, end - start);
        return;
    }
    if (ch->status == DSM_RELEASED && ch->loopNumber == 1) {
        // Released inside a back-and-forth sustain loop: on forward from here.
        ch->loopNumber = 2;
        ch->looped = 0;
        ch->direction = 1;
        if (*p < start)
            *p = start;
        return;
    }
    // Back and forth: the overshoot carried on along the loop's cycle.
    ch->looped = 1;
    if (ch->direction > 0 && ch->loopCallback)
        ch->loopCallback(channel);
    dsm_loopPlace(loop, dsm_loopPhase(loop, *p, ch->direction), p, &ch->direction);
}

static dsmPos_T stepOf(uint32_t rate)
{
    uint32_t r = (uint32_t)dsmRate;
    return (dsmPos_T)(rate / r) * 65536 + ((dsmPos_T)(rate % r) * 65536) / r;
}

// The routine for a stereo voice whose sides add the values the zeroL and
// zeroR flags tell are always zero: one side alone, or none (nullptr: the
// voice only advances).
static dsmRoutine_T routineFor(int integer, int type, int pan, bool zeroL, bool zeroR)
{
    if (pan != DSM_PAN_GENERAL)              // centre and surround add the left value
        return zeroL ? nullptr : dsm_routine(integer, type, 1, pan);
    if (zeroL && zeroR)
        return nullptr;
    return dsm_routine(integer, type, 1, zeroL ? DSM_PAN_RIGHT : zeroR ? DSM_PAN_LEFT : DSM_PAN_GENERAL);
}

static dsmRoutine_T setUpVoice(dsmChannel_T* ch, dsmVoice_T* v)
{
    int stereo = (dsmMode & DSM_STEREO) != 0;
    int n = dsmChannels;
    // On mono output a stereo sample adds both its values at half the volume.
    int halve = !stereo && dsm_isStereoSample(ch->type) ? 1 : 0;
    if (ch->filter.on && !dsm_isStereoSample(ch->type))
        return dsm_setUpFiltered(ch, v, stereo);
    if (!dsmInteger) {
        double scale = (double)dsmAmplification / ((double)n * 268435456.0);
        v->facL = (float)((ch->leftVol >> halve) * scale);
        v->facR = (float)((ch->rightVol >> halve) * scale);
        if (ch->panning == DSM_SURROUND)
            v->facR = -v->facR;
        // A zero factor adds +0 or -0, which leaves every sum as it was: the
        // buffer starts at +0 and a sum of floats is -0 only when both are.
        if (!stereo)
            return v->facL == 0.0f ? nullptr : dsm_routine(0, ch->type, 0, DSM_PAN_GENERAL);
        return routineFor(0, ch->type, DSM_PAN_GENERAL, v->facL == 0.0f, v->facR == 0.0f);
    }
    int32_t left = ch->leftVol >> halve, right = ch->rightVol >> halve;
    // Level = round(vol / 131072), one of 33; level 0 is a row of zeros.
    int levelL = std::min(((left >> 7) + 512) >> 10, 32);
    int levelR = std::min(((right >> 7) + 512) >> 10, 32);
    bool muLaw = ch->type == DSM_SMP_MULAW || ch->type == DSM_SMP_MULAW_STEREO;
    v->tabL = muLaw ? dsmMuLawTable[levelL] : dsmVolumeTable[levelL];
    v->tabR = muLaw ? dsmMuLawTable[levelR] : dsmVolumeTable[levelR];
    v->mulL = (int32_t)(((int64_t)left * dsmAmplification / n) >> 20);
    v->mulR = (int32_t)(((int64_t)right * dsmAmplification / n) >> 20);
    bool is16 = dsm_is16BitSample(ch->type);
    bool zeroL = is16 ? v->mulL == 0 : levelL == 0;
    bool zeroR = is16 ? v->mulR == 0 : levelR == 0;
    if (!stereo)
        return zeroL ? nullptr : dsm_routine(1, ch->type, 0, DSM_PAN_GENERAL);
    int pan = ch->panning == DSM_SURROUND ? DSM_PAN_SURROUND : ch->panning == 0 ? DSM_PAN_CENTRE : DSM_PAN_GENERAL;
    return routineFor(1, ch->type, pan, zeroL, zeroR);
}

// Whether the voice stays in its loop at every turn from here on: nothing
// (a release, a sample change, a callback) waits for the loop's end.
static bool staysInLoop(const dsmChannel_T* ch, const dsmLoop_T& loop, dsmPos_T p)
{
    if (loop.type == DSM_LT_NONE || ch->loopCallback || (ch->status == DSM_RELEASED && ch->loopNumber == 1))
        return false;
    if (ch->sampleChanged && isTrackerMode(ch->loopMode))
        return false;
    return p >= (dsmPos_T)loop.start << DSM_POS_SHIFT && p <= (dsmPos_T)loop.end << DSM_POS_SHIFT;
}

// A loop no longer than one step turns at every output frame: rather than
// an event per frame, the frames go out one by one from the voice set up
// once, each position found from the last along the loop's cycle. The
// high-quality mode reads the unrolled cycle (dsm_hq.cpp) in one stretch.
static void mixShortLoop(dsmChannel_T* ch, const dsmLoop_T& loop, dsmPos_T p, dsmPos_T step, void* out, uint32_t count)
{
    int values = (dsmMode & DSM_STEREO) ? 2 : 1;
    int64_t phase = dsm_loopPhase(loop, p, ch->direction);
    int64_t period = dsm_loopPeriod(loop);
    // A forward loop played backward: its phase goes down.
    int reversed = loop.type == DSM_LT_FORWARD && ch->direction < 0;
    ch->looped = 1;
    if (dsmMode & DSM_HQ) {
        dsmPos_T start = (dsmPos_T)loop.start << DSM_POS_SHIFT;
        p = dsm_mixVoiceHQ(ch, start + dsm_floorMod(phase, period), reversed ? -step : step, count, (float*)out);
        phase = p - start;
    } else {
        if (reversed)
            step = period - step % period;
        dsmVoice_T v;
        v.data = ch->data;
        v.step = step;
        dsmRoutine_T routine = ch->leftVol == 0 && ch->rightVol == 0 ? nullptr : setUpVoice(ch, &v);
        step %= period;
        phase = dsm_floorMod(phase, period);
        if (routine) {
            // Forward up to forwardEnd, then backward (the position mirrored): dsm_loopPlace unrolled.
            dsmPos_T start = (dsmPos_T)loop.start << DSM_POS_SHIFT;
            int64_t len = (int64_t)(loop.end - loop.start) << DSM_POS_SHIFT;
            int64_t forwardEnd = loop.type == DSM_LT_FORWARD ? period : loop.type == DSM_LT_BIDI ? len + 1 : len;
            for (uint32_t k = 0; k < count; k++) {
                v.pos = phase < forwardEnd ? start + phase : start + period - phase;
                if (dsmInteger)
                    routine(v, (int32_t*)out + k * values, 1);
                else
                    routine(v, (float*)out + k * values, 1);
                phase += step;
                if (phase >= period)
                    phase -= period;
            }
        } else {
            phase += step * count;
        }
    }
    int direction;
    dsm_loopPlace(loop, phase, &p, &direction);
    if (!reversed)
        ch->direction = direction;
    ch->pos = (uint32_t)(p >> DSM_POS_SHIFT);
    ch->posFrac = (uint32_t)(p & 0xFFFF);
}

void dsm_mixChannel(int channel, void* buffer, uint32_t frames)
{
    dsmChannel_T* ch = &dsmChannel[channel];
    int valuesPerFrame = (dsmMode & DSM_STEREO) ? 2 : 1;
    uint32_t done = 0;
    while (done < frames) {
        if (ch->rate == 0 || !ch->data || !ch->present || ch->length == 0 || ch->status <= DSM_AT_END)
            return;
        dsmPos_T step = stepOf(ch->rate);
        if (step == 0)
            return;
        dsmPos_T p = ((dsmPos_T)ch->pos << DSM_POS_SHIFT) | ch->posFrac;
        dsmLoop_T loop = dsm_activeLoop(ch);
        if (loop.type != DSM_LT_NONE && ((dsmPos_T)(loop.end - loop.start) << DSM_POS_SHIFT) <= step &&
            staysInLoop(ch, loop, p)) {
            mixShortLoop(ch, loop, p, step, (char*)buffer + (size_t)done * valuesPerFrame * 4, frames - done);
            return;
        }
        int backward = ch->direction < 0;
        // Played backward, a voice before its loop (or without one) runs to
        // the sample's start; FastTracker 2's turn comes after the frame on
        // the loop end (the sample store keeps a frame past a sample that
        // ends there).
        bool inLoop = loop.type != DSM_LT_NONE && p >= (dsmPos_T)loop.start << DSM_POS_SHIFT;
        dsmPos_T boundary = backward ? (inLoop ? (dsmPos_T)loop.start << DSM_POS_SHIFT : 0)
                                     : ((dsmPos_T)(loop.type == DSM_LT_NONE ? ch->length : loop.end) << DSM_POS_SHIFT) +
                                           (loop.type == DSM_LT_BIDI ? 1 : 0);
        dsmPos_T dist = backward ? p - boundary + 1 : boundary - p;
        dist = std::min(dist, (dsmPos_T)32767 << DSM_POS_SHIFT);
        uint32_t count = dist <= 0 ? 0 : (uint32_t)std::min<dsmPos_T>((dist + step - 1) / step, frames - done);

        if (count > 0 && (dsmMode & DSM_HQ)) {
            p = dsm_mixVoiceHQ(ch, p, backward ? -step : step, count, (float*)buffer + done * valuesPerFrame);
            done += count;
        } else if (count > 0) {
            dsmVoice_T v;
            v.data = ch->data;
            v.pos = p;
            v.step = backward ? -step : step;
            dsmRoutine_T routine = ch->leftVol == 0 && ch->rightVol == 0 ? nullptr : setUpVoice(ch, &v);
            if (!routine)
                p += v.step * count;
            else if (dsmInteger)
                p = routine(v, (int32_t*)buffer + done * valuesPerFrame, count);
            else
                p = routine(v, (float*)buffer + done * valuesPerFrame, count);
            done += count;
        }
        if (backward && !inLoop && p < 0)
            ch->status = DSM_AT_END;            // back at the sample's start
        else if (backward ? p < boundary : p >= boundary)
            handleEvent(channel, ch, &p);
        ch->pos = (uint32_t)(p >> DSM_POS_SHIFT);
        ch->posFrac = (uint32_t)(p & 0xFFFF);
    }
}

int dsm_mix(uint32_t frames, void* destination)
{
    int stereo = (dsmMode & DSM_STEREO) != 0;
    uint32_t chunkFrames = (uint32_t)dsmBufferBytes / (stereo ? 8 : 4);
    uint32_t frameBytes = (stereo ? 2 : 1) * ((dsmMode & DSM_8BIT) ? 1 : 2);
    uint8_t* out = (uint8_t*)destination;
    while (frames > 0) {
        uint32_t n = std::min(frames, chunkFrames);
        void* buffer = dsmInteger ? (void*)dsmMixBuffer : (void*)dsmMixBufferF;
        std::fill_n((uint8_t*)buffer, (size_t)n * (stereo ? 8 : 4), 0);
        if (!dsmPaused && dsmChannelsOpen)
            for (int c = 0; c < dsmRecords; c++)
                dsm_mixChannel(c, buffer, n);
        dsm_filterAndConvert(buffer, n, out);
        out += n * frameBytes;
        frames -= n;
    }
    return 0;
}
