// The mixer's sample store: 1024 entries known by handle (index + 1).
#include <cstring>
#include <new>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_settings.h"

dsmSample_T dsmSamples[DSM_MAX_SAMPLES];

int dsm_frameShift(int type)
{
    switch (type) {
    case DSM_SMP_16BIT: case DSM_SMP_8BIT_STEREO: case DSM_SMP_MULAW_STEREO: return 1;
    case DSM_SMP_16BIT_STEREO: return 2;
    default: return 0;
    }
}

int dsm_isStereoSample(int type)
{
    return type == DSM_SMP_8BIT_STEREO || type == DSM_SMP_16BIT_STEREO || type == DSM_SMP_MULAW_STEREO;
}

int dsm_is16BitSample(int type) { return type == DSM_SMP_16BIT || type == DSM_SMP_16BIT_STEREO; }

int dsm_sampleType(int is16, int stereo)
{
    if (stereo)
        return is16 ? DSM_SMP_16BIT_STEREO : DSM_SMP_8BIT_STEREO;
    return is16 ? DSM_SMP_16BIT : DSM_SMP_8BIT;
}

static int isKnownType(int type)
{
    return type == DSM_SMP_NONE || type == DSM_SMP_8BIT || type == DSM_SMP_16BIT || type == DSM_SMP_8BIT_STEREO ||
           type == DSM_SMP_16BIT_STEREO || type == DSM_SMP_MULAW || type == DSM_SMP_MULAW_STEREO;
}

// The stored copy of the caller's data: as given, or 16-bit values turned
// into mu-law codes (half the bytes) when the conversion setting asks for it;
// then the last frame once more, which a back-and-forth loop ending with the
// sample plays on the turn (dsm_loop.h).
static uint8_t* copyData(const dsmSampleDesc_T* desc, uint32_t frames, int* type)
{
    int from = *type;
    bool toMuLaw = mpSettings.muLawSamples && dsm_is16BitSample(from);
    int to = !toMuLaw ? from : from == DSM_SMP_16BIT ? DSM_SMP_MULAW : DSM_SMP_MULAW_STEREO;
    size_t frameBytes = (size_t)1 << dsm_frameShift(to);
    size_t bytes = (size_t)frames * frameBytes;
    uint8_t* data = new (std::nothrow) uint8_t[bytes + frameBytes];
    if (!data)
        return nullptr;
    if (toMuLaw) {
        for (size_t i = 0; i < bytes; i++) {
            int16_t v;
            std::memcpy(&v, desc->data + 2 * i, 2);
            data[i] = dsm_muLawEncode(v);
        }
    } else {
        std::memcpy(data, desc->data, bytes);
    }
    std::memcpy(data + bytes, data + bytes - frameBytes, frameBytes);
    *type = to;
    return data;
}

// Keep loop points inside the sample, and treat an empty loop as none, so
// the mixer never steps outside the data whatever the caller described.
static void clampLoop(uint32_t length, uint32_t* start, uint32_t* end, int* type)
{
    if (*end > length)
        *end = length;
    if (*start >= *end) {
        *start = *end = 0;
        *type = DSM_LT_NONE;
    }
}

int dsm_addSample(const dsmSampleDesc_T* desc, int copy, int* handle)
{
    int index = 0;
    while (index < DSM_MAX_SAMPLES && dsmSamples[index].inUse)
        index++;
    if (index == DSM_MAX_SAMPLES)
        return MPERR_NO_SAMPLE_HANDLES;
    if (!isKnownType(desc->type))
        return MPERR_INVALID_SAMPLE_TYPE;

    dsmSample_T s = {};
    s.inUse = 1;
    s.loopMode = desc->loopMode;
    int shift = dsm_frameShift(desc->type);
    uint32_t length = desc->length >> shift;
    if (desc->type != DSM_SMP_NONE && length != 0 && desc->data) {
        s.type = s.origType = desc->type;
        s.length = length;
        s.loop1Start = desc->loop1Start >> shift;
        s.loop1End = desc->loop1End >> shift;
        s.loop1Type = desc->loop1Type;
        s.loop2Start = desc->loop2Start >> shift;
        s.loop2End = desc->loop2End >> shift;
        s.loop2Type = desc->loop2Type;
        clampLoop(length, &s.loop1Start, &s.loop1End, &s.loop1Type);
        clampLoop(length, &s.loop2Start, &s.loop2End, &s.loop2Type);
        if (s.loop1Type == DSM_LT_NONE && s.loopMode == DSM_LOOP_TRACKER)
            s.loopMode = DSM_LOOP_NONE;
        // The caller's own data has no frame past its end to play on a turn there.
        if (s.loop1Type == DSM_LT_BIDI && s.loop1End == length)
            copy = 1;
        if (s.loop2Type == DSM_LT_BIDI && s.loop2End == length)
            copy = 1;
        if (copy) {
            s.data = copyData(desc, length, &s.type);
            if (!s.data)
                return MPERR_NO_MEMORY;
            s.owned = 1;
        } else {
            s.data = const_cast<uint8_t*>(desc->data);
        }
        s.present = 1;
    }
    dsmSamples[index] = s;
    *handle = index + 1;
    return MPERR_OK;
}

int dsm_removeSample(int handle)
{
    if (handle < 1 || handle > DSM_MAX_SAMPLES || !dsmSamples[handle - 1].inUse)
        return MPERR_INVALID_SAMPLE;
    dsmSample_T& s = dsmSamples[handle - 1];
    // A channel still playing this sample stops rather than read freed data.
    for (int c = 0; dsmChannelsOpen && c < dsmRecords; c++) {
        dsmChannel_T& ch = dsmChannel[c];
        if (ch.sample == handle || (ch.data && ch.data == s.data)) {
            ch.status = DSM_STOPPED;
            ch.data = nullptr;
            ch.present = 0;
            ch.sample = 0;
            ch.sampleChanged = 0;
        }
    }
    if (s.owned)
        delete[] s.data;
    s = dsmSample_T{};
    return MPERR_OK;
}
