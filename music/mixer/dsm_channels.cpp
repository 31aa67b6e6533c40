// Mixer set-up and the sound-channel operations: volumes, panning, sample
// changes and positions.
#include <cstring>
#include <new>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_loop.h"
#include "music/mp_errors.h"
#include "music/mp_settings.h"

int dsmRate;
int dsmMode;
int dsmInteger;
int dsmChannels;
int dsmRecords;
int dsmQuality;
int dsmAmplification = 64;
int dsmMasterVolume = 64;
int dsmSeparation = 100;
int dsmMuteAll;
int dsmPaused;
int dsmChannelsOpen;
int dsmFilterMode;
int dsmAutoFilter = 1;
int dsmBufferBytes;
dsmChannel_T* dsmChannel;

int32_t* dsmMixBuffer;                 // integer path
float* dsmMixBufferF;                  // floating-point path
int32_t dsmVolumeTable[33][256];       // integer path: 8-bit sample byte at 33 volume levels
int32_t dsmMuLawTable[33][256];        // integer path: mu-law code at 33 volume levels
float dsmFloatTable[256];              // floating-point path: 8-bit sample byte as a 16-bit value
float dsmMuLawFloat[256];              // floating-point path: mu-law code as its 16-bit value

// Multiplication of floats is cheap on Intel's family 6 and later; elsewhere
// the table lookups of the integer path win.
static int floatIsFast()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (!__get_cpuid(0, &a, &b, &c, &d))
        return 0;
    char vendor[13];
    std::memcpy(vendor, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    vendor[12] = 0;
    if (std::strcmp(vendor, "GenuineIntel") != 0 || !__get_cpuid(1, &a, &b, &c, &d))
        return 0;
    return ((a >> 8) & 15) >= 6;
#else
    return 0;
#endif
}

static void buildVolumeTables()
{
    int n = dsmChannels > 0 ? dsmChannels : 1;
    for (int l = 0; l <= 32; l++)
        for (int b = 0; b < 256; b++) {
            dsmVolumeTable[l][b] = ((((b - 128) * l * dsmAmplification) / 64) * 256) / 32 / n;
            dsmMuLawTable[l][b] = ((dsm_muLawDecode((uint8_t)b) * l * dsmAmplification) / 64 / 32) / n;
        }
}

int dsm_init(int rate, int mode)
{
    dsm_close();
    if (!(mode & (DSM_8BIT | DSM_16BIT)))
        mode |= DSM_16BIT;
    if (!(mode & (DSM_MONO | DSM_STEREO)))
        mode |= DSM_STEREO;
    dsmRate = rate;
    dsmMode = mode;
    if (mode & DSM_FLOAT)
        dsmInteger = 0;
    else if (mode & DSM_INTEGER)
        dsmInteger = 1;
    else
        dsmInteger = !((mode & DSM_HQ) || mpSettings.mixerPath == 2 || floatIsFast());
    if (mpSettings.mixerPath == 1 && !(mode & DSM_FLOAT))
        dsmInteger = 1;
    // The high-quality mode interpolates, ramps and fades in floats.
    dsmQuality = DSM_QUALITY_PLAIN;
    if (mode & DSM_HQ) {
        dsmInteger = 0;
        int q = mpSettings.quality;
        dsmQuality = q >= DSM_QUALITY_LINEAR && q <= DSM_QUALITY_SINC ? q : DSM_QUALITY_SINC;
        dsm_buildKernels();
    }

    // 1/40 s of sound, in whole 16-byte units.
    int bytes = (mode & DSM_STEREO) ? rate * 8 / 40 : rate * 4 / 40;
    dsmBufferBytes = (bytes + 15) & ~15;
    if (dsmInteger)
        dsmMixBuffer = new (std::nothrow) int32_t[dsmBufferBytes / 4];
    else
        dsmMixBufferF = new (std::nothrow) float[dsmBufferBytes / 4];
    if (!dsmMixBuffer && !dsmMixBufferF)
        return MPERR_NO_MEMORY;
    for (int i = 0; i < 256; i++) {
        dsmFloatTable[i] = (float)(-32768 + 256 * i);
        dsmMuLawFloat[i] = (float)dsm_muLawDecode((uint8_t)i);
    }

    dsmMasterVolume = 64;
    dsmMuteAll = 0;
    dsmPaused = 0;
    dsmChannels = 0;
    dsmAmplification = 64;
    buildVolumeTables();
    dsmFilterMode = mpSettings.filterMode;
    dsmAutoFilter = (mode & DSM_HQ) ? 0 : 1;
    dsm_resetFilter();
    return MPERR_OK;
}

int dsm_close()
{
    if (dsmChannelsOpen)
        dsm_closeChannels();
    delete[] dsmMixBuffer;
    delete[] dsmMixBufferF;
    dsmMixBuffer = nullptr;
    dsmMixBufferF = nullptr;
    return MPERR_OK;
}

int dsm_openChannels(int n)
{
    if (n < 1)
        return MPERR_INVALID_ARGUMENTS;
    if (dsmChannelsOpen)
        dsm_closeChannels();
    // High-quality mode: a spare record per channel for the fading copies.
    int records = (dsmMode & DSM_HQ) ? 2 * n : n;
    dsmChannel = new (std::nothrow) dsmChannel_T[records];
    if (!dsmChannel)
        return MPERR_NO_MEMORY;
    dsmChannels = n;
    dsmRecords = records;
    for (int c = 0; c < records; c++) {
        dsmChannel[c] = dsmChannel_T{};
        dsmChannel[c].direction = 1;
        dsmChannel[c].loopNumber = 1;
    }
    dsmChannelsOpen = 1;
    return dsm_setAmplification(n >= 5 ? 14 * n : 64);
}

int dsm_closeChannels()
{
    if (!dsmChannelsOpen)
        return MPERR_CHANNELS_NOT_OPEN;
    delete[] dsmChannel;
    dsmChannel = nullptr;
    dsmChannelsOpen = 0;
    return MPERR_OK;
}

void dsm_computeVolumes(dsmChannel_T* ch)
{
    int v = ch->volume, p = ch->panning == DSM_SURROUND ? DSM_SURROUND : ch->panning * dsmSeparation / 100;
    int left, right;
    if (ch->mute || dsmMuteAll) {
        left = right = 0;
    } else if (ch->balancedPan && !(dsmMode & DSM_MONO)) {
        // Each side in proportion to its share of the panning, half of the
        // full level in the centre; surround plays as the centre.
        int q = p == DSM_SURROUND ? 0 : p;
        left = (64 - q) * v / 2;
        right = (64 + q) * v / 2;
    } else if (p == 0 || p == DSM_SURROUND || (dsmMode & DSM_MONO)) {
        left = right = v * 64;
    } else if (p > 0) {
        left = (64 - p) * v;
        right = 64 * v;
    } else {
        left = 64 * v;
        right = (64 + p) * v;
    }
    ch->leftVol = left * dsmMasterVolume * 16;
    ch->rightVol = right * dsmMasterVolume * 16;
}

static dsmChannel_T* channelOf(int channel)
{
    if (!dsmChannelsOpen || channel < 0 || channel >= dsmChannels)
        return nullptr;
    return &dsmChannel[channel];
}

static void recomputeAll()
{
    for (int c = 0; dsmChannelsOpen && c < dsmChannels; c++)
        dsm_computeVolumes(&dsmChannel[c]);
}

void dsm_takeSample(dsmChannel_T* ch)
{
    ch->sampleChanged = 0;
    const dsmSample_T* s = (ch->sample >= 1 && ch->sample <= DSM_MAX_SAMPLES) ? &dsmSamples[ch->sample - 1] : nullptr;
    if (!s || !s->inUse) {
        ch->data = nullptr;
        ch->present = 0;
        ch->length = 0;
        return;
    }
    ch->data = s->data;
    ch->type = s->type;
    ch->origType = s->origType;
    ch->present = s->present;
    ch->length = s->length;
    ch->loopMode = s->loopMode;
    ch->loop1Start = s->loop1Start;
    ch->loop1End = s->loop1End;
    ch->loop1Type = s->loop1Type;
    ch->loop2Start = s->loop2Start;
    ch->loop2End = s->loop2End;
    ch->loop2Type = s->loop2Type;
}

int dsm_playSound(int channel, uint32_t rate)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    if (dsmMode & DSM_HQ)
        dsm_fadeOut(ch);
    ch->status = DSM_AT_END;
    ch->rate = rate;
    ch->filter.y1 = ch->filter.y2 = 0;
    return dsm_setPosition(channel, 0);
}

int dsm_stopSound(int channel)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    if (dsmMode & DSM_HQ)
        dsm_fadeOut(ch);
    ch->status = DSM_STOPPED;
    return MPERR_OK;
}

int dsm_releaseSound(int channel)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    bool twoLoops = ch->loopMode == DSM_LOOP_RELEASE || ch->loopMode == DSM_LOOP_RELEASE_BIDI;
    if (ch->status != DSM_PLAYING || !twoLoops)
        return MPERR_OK;
    ch->status = DSM_RELEASED;
    // Released in a back-and-forth sustain loop, the voice goes on its way
    // in a back-and-forth second loop at once; towards any other, forward
    // from where it is.
    if (ch->loopNumber == 1 && dsm_isBidi(ch->loop1Type)) {
        if (dsm_isBidi(ch->loop2Type)) {
            ch->loopNumber = 2;
            ch->looped = 0;
        } else {
            ch->direction = 1;
        }
    }
    return MPERR_OK;
}

int dsm_setRate(int channel, uint32_t rate)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    ch->rate = rate;
    return MPERR_OK;
}

int dsm_getRate(int channel, uint32_t* rate)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    *rate = ch->status <= DSM_AT_END ? 0 : ch->rate;
    return MPERR_OK;
}

int dsm_setVolume(int channel, int volume)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    ch->volume = volume < 0 ? 0 : volume > 64 ? 64 : volume;
    dsm_computeVolumes(ch);
    return MPERR_OK;
}

int dsm_setPanning(int channel, int panning)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    if (panning != DSM_SURROUND)
        panning = panning < -64 ? -64 : panning > 64 ? 64 : panning;
    ch->panning = panning;
    dsm_computeVolumes(ch);
    return MPERR_OK;
}

int dsm_mute(int channel, int flag)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    ch->mute = flag;
    dsm_computeVolumes(ch);
    return MPERR_OK;
}

int dsm_setBalancedPan(int channel, int flag)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    ch->balancedPan = flag;
    dsm_computeVolumes(ch);
    return MPERR_OK;
}

int dsm_setSample(int channel, int handle)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    if (handle < 1 || handle > DSM_MAX_SAMPLES || !dsmSamples[handle - 1].inUse)
        return MPERR_INVALID_SAMPLE;
    ch->sample = handle;
    ch->sampleChanged = 1;
    // A channel that ran off the end of its sample picks up a looping
    // sample at once, from its loop start: the tracker way of changing the
    // instrument without a note.
    const dsmSample_T& s = dsmSamples[handle - 1];
    if (ch->status == DSM_AT_END && s.loopMode == DSM_LOOP_TRACKER && s.present) {
        dsm_takeSample(ch);
        ch->pos = ch->loop1Start;
        ch->posFrac = 0;
        ch->direction = 1;
        ch->loopNumber = 1;
        ch->status = DSM_PLAYING;
    }
    return MPERR_OK;
}

int dsm_setPosition(int channel, uint32_t bytes)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    // A jump of a sounding voice (a retrigger, an offset, a new sample)
    // leaves the old sound fading out in high-quality mode.
    if (dsmMode & DSM_HQ)
        dsm_fadeOut(ch);
    if (ch->sampleChanged) {
        dsm_takeSample(ch);
        if (ch->status == DSM_RELEASED && ch->loopMode != DSM_LOOP_RELEASE && ch->loopMode != DSM_LOOP_RELEASE_BIDI) {
            ch->status = DSM_AT_END;
            return MPERR_OK;
        }
    }
    if (!ch->data || !ch->present || ch->length == 0 || ch->rate == 0 || ch->status < DSM_AT_END)
        return MPERR_OK;
    ch->looped = 0;
    ch->loopNumber = ch->status == DSM_RELEASED ? 2 : 1;
    // Bytes count in the caller's form of the sample, before any conversion.
    uint32_t frames = bytes >> dsm_frameShift(ch->origType);
    dsmLoop_T loop = dsm_activeLoop(ch);
    int loopType = loop.type;
    uint32_t loopStart = loop.start, loopEnd = loop.end;
    ch->posFrac = 0;
    ch->direction = 1;
    if (loopType == DSM_LT_NONE) {
        if (frames >= ch->length) {
            ch->status = DSM_AT_END;
            return MPERR_OK;
        }
        ch->pos = frames;
    } else if (loopType == DSM_LT_FORWARD) {
        ch->pos = frames >= loopEnd ? loopStart : frames;
    } else if (frames >= loopEnd) {
        ch->pos = loopEnd - 1;
        ch->direction = -1;
    } else {
        ch->pos = frames;
    }
    if (ch->status == DSM_AT_END)
        ch->status = DSM_PLAYING;
    return MPERR_OK;
}

int dsm_getPosition(int channel, uint32_t* bytes)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    *bytes = ch->pos << dsm_frameShift(ch->origType);
    return MPERR_OK;
}

int dsm_setDirection(int channel, int direction, int fromEnd)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    if (ch->status < DSM_PLAYING || !ch->data || !ch->present || ch->length == 0)
        return MPERR_OK;
    if (fromEnd && direction < 0) {
        dsmLoop_T loop = dsm_activeLoop(ch);
        ch->pos = (loop.type != DSM_LT_NONE ? loop.end : ch->length) - 1;
        ch->posFrac = 0;
    }
    ch->direction = direction < 0 ? -1 : 1;
    return MPERR_OK;
}

int dsm_getDirection(int channel, int* direction)
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    *direction = ch->direction;
    return MPERR_OK;
}

int dsm_setLoopCallback(int channel, void (*callback)(int channel))
{
    dsmChannel_T* ch = channelOf(channel);
    if (!ch)
        return MPERR_INVALID_CHANNEL;
    ch->loopCallback = callback;
    return MPERR_OK;
}

int dsm_setMasterVolume(int volume)
{
    dsmMasterVolume = volume < 0 ? 0 : volume > 64 ? 64 : volume;
    recomputeAll();
    return MPERR_OK;
}

int dsm_setAmplification(int amp)
{
    dsmAmplification = amp;
    buildVolumeTables();
    recomputeAll();
    return MPERR_OK;
}

int dsm_muteAll(int flag)
{
    dsmMuteAll = flag;
    recomputeAll();
    return MPERR_OK;
}

int dsm_pause(int flag)
{
    dsmPaused = flag;
    return MPERR_OK;
}
