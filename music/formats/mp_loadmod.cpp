// The MOD reader: ProTracker-style modules with 4 to 32 channels and 31
// samples, read whole into memory and turned into the common module form.
#include <algorithm>
#include <cstring>
#include <memory>

#include "music/formats/mod_periods.h"
#include "music/formats/mp_bytes.h"
#include "music/formats/mp_missing.h"
#include "music/formats/mp_tracker.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"
#include "music/mp_settings.h"

enum { MOD_HEADER = 1084, MOD_SAMPLE_COUNT = 31 };

static int digit(uint8_t c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

// Channel count from the signature at 1080; later matches replace earlier ones.
static int channelsFromSignature(const uint8_t* sig)
{
    int n = 0;
    if (!std::memcmp(sig, "M.K.", 4) || !std::memcmp(sig, "M!K!", 4) || !std::memcmp(sig, "FLT4", 4))
        n = 4;
    if (!std::memcmp(sig, "OCTA", 4))
        n = 8;
    if (!std::memcmp(sig + 1, "CHN", 3))
        n = digit(sig[0]);
    if (!std::memcmp(sig + 2, "CH", 2))
        n = (digit(sig[0]) < 0 || digit(sig[1]) < 0) ? -1 : digit(sig[0]) * 10 + digit(sig[1]);
    if (!std::memcmp(sig, "TDZ", 3))
        n = digit(sig[3]);
    return n;
}

// Extended command (E) nibble -> internal command; 0 keeps an empty entry.
static const uint8_t extendedCommand[16] = {0, 17, 18, 0, 0, 0, 19, 0, 20, 21, 22, 23, 24, 25, 26, 0};

struct modEncoder_T {
    std::vector<uint8_t> out;
    bool used[MOD_SAMPLE_COUNT];
    bool wideOctaves;
};

// One cell into at most 5 bytes; 0 or code 17.
static int encodeCell(modEncoder_T* enc, const uint8_t* b, int channel)
{
    unsigned period = (b[0] & 0x0F) << 8 | b[1];
    unsigned instrument = (b[0] & 0xF0) | (b[2] >> 4);
    unsigned effect = b[2] & 0x0F, param = b[3];
    uint8_t note = MP_NONE;
    if (period) {
        int k = 0;
        while (k < MOD_PERIOD_COUNT && modPeriods[k] > period)
            k++;
        if (k == MOD_PERIOD_COUNT)
            return MPERR_INVALID_PATTERN;
        note = (uint8_t)((k / 12) * 16 + k % 12);
        if (k / 12 == 0 || k / 12 >= 4)
            enc->wideOctaves = true;
    }
    if (instrument > MOD_SAMPLE_COUNT)
        return MPERR_INVALID_PATTERN;
    if (instrument)
        enc->used[instrument - 1] = true;

    bool hasCommand = effect != 0 || param != 0;
    uint8_t command = 0;
    if (hasCommand) {
        if (effect <= 13) {
            command = (uint8_t)(effect + 1);
            if (effect == 8 && !(param < 129 || param == 164))
                hasCommand = false;
        } else if (effect == 14) {
            command = extendedCommand[param >> 4];
            param &= 15;
        } else {
            command = param < 33 ? 15 : 16;
        }
    }
    if (!period && !instrument && !hasCommand)
        return MPERR_OK;
    enc->out.push_back((uint8_t)(channel | (period || instrument ? MP_ENT_NOTE : 0) | (hasCommand ? MP_ENT_COMMAND : 0)));
    if (period || instrument) {
        enc->out.push_back(note);
        enc->out.push_back(instrument ? (uint8_t)(instrument - 1) : (uint8_t)MP_NONE);
    }
    if (hasCommand) {
        enc->out.push_back(command);
        enc->out.push_back((uint8_t)param);
    }
    return MPERR_OK;
}

static int encodePattern(modEncoder_T* enc, const uint8_t* cells, int channels, std::vector<uint8_t>* pattern)
{
    enc->out.clear();
    enc->out.resize(8);
    for (int row = 0; row < 64; row++) {
        for (int c = 0; c < channels; c++) {
            int code = encodeCell(enc, cells + (row * channels + c) * 4, c);
            if (code != MPERR_OK)
                return code;
        }
        enc->out.push_back(0);
    }
    uint32_t size = (uint32_t)enc->out.size(), rows = 64;
    std::memcpy(enc->out.data(), &size, 4);
    std::memcpy(enc->out.data() + 4, &rows, 4);
    *pattern = enc->out;
    return MPERR_OK;
}

// Loop and length of a used sample, in bytes. A file that ends inside the
// sample keeps what is there; loop points are kept inside what is there.
static void setUpSample(mpSample_T* s, const uint8_t* hdr, uint32_t available)
{
    uint32_t length = std::min(mp_be16(hdr + 22) * 2, available);
    s->finetune = hdr[24] & 15;
    s->volume = std::min<int>(hdr[25], 64);
    s->loopStart = mp_be16(hdr + 26) * 2;
    s->loopEnd = s->loopStart + mp_be16(hdr + 28) * 2;
    s->loopEnd = std::min(s->loopEnd, length);
    if (s->loopEnd < 3 || s->loopStart >= s->loopEnd) {
        s->loopType = DSM_LOOP_NONE;
        s->loopFlag = 0;
    } else {
        s->loopType = DSM_LOOP_TRACKER;
        s->loopFlag = 1;
        length = std::min(length, s->loopEnd);
    }
    s->length = length;
    s->type = length ? DSM_SMP_8BIT : DSM_SMP_NONE;
}

static int uploadSample(mpSample_T* s, const uint8_t* src)
{
    if (!s->length)
        return MPERR_OK;
    std::vector<uint8_t> data(src, src + s->length);
    for (uint8_t& b : data)
        b ^= 0x80;                  // signed 8-bit -> unsigned 8-bit
    return mp_uploadSample(s, data.data());
}

int mp_loadMod(const char* fileName, int loadSamples, void*, mpModule_T** out)
{
    *out = nullptr;
    std::vector<uint8_t> file;
    int code = mp_readWholeFile(fileName, MOD_HEADER, &file);
    if (code != MPERR_OK)
        return code;
    const uint8_t* f = file.data();

    int channels = channelsFromSignature(f + 1080);
    if (channels <= 0 || channels > MP_MAX_CHANNELS)
        return mp_refuse(MPERR_INVALID_MODULE, "MOD: no known signature at byte 1080, or more than %d channels",
                         MP_MAX_CHANNELS);
    // An empty song has nothing to play; more than 128 entries would read
    // past the order table.
    uint32_t songLength = f[950];
    if (songLength == 0 || songLength > 128)
        return mp_refuse(MPERR_INVALID_MODULE, "MOD: a song length of %u orders (1 to 128)", songLength);

    std::unique_ptr<mpModule_T> m(new mpModule_T());
    std::memcpy(m->name, f, 20);
    m->formatId = MP_FORMAT_MOD;
    m->tracker = mp_trackerOfHeader(f, file.size());
    m->songLength = songLength;
    m->restartPos = (f[951] != 127 && f[951] < songLength) ? f[951] : 0;
    m->numInsts = m->numSamples = MOD_SAMPLE_COUNT;
    m->numPatterns = *std::max_element(f + 952, f + 952 + 128) + 1u;
    m->numChannels = (uint8_t)channels;
    m->masterVolume = 64;
    m->speed = 6;
    m->tempo = 125;
    for (int i = 0; i < MP_MAX_CHANNELS; i++)
        m->panning[i] = ((i & 3) == 0 || (i & 3) == 3) ? 64 - mpSettings.stereoSeparation
                                                     : 64 + mpSettings.stereoSeparation;
    m->orders.assign(f + 952, f + 952 + songLength);

    size_t patternBytes = 256u * channels;
    size_t pos = MOD_HEADER;
    if (file.size() < pos + patternBytes * m->numPatterns)
        return mp_refuse(MPERR_END_OF_FILE, "MOD: the file (%zu bytes) ends inside its %u patterns", file.size(),
                         m->numPatterns);
    modEncoder_T enc = {};
    enc.out.reserve(384 * channels + 8);
    m->patterns.resize(m->numPatterns);
    for (uint32_t p = 0; p < m->numPatterns; p++, pos += patternBytes) {
        code = encodePattern(&enc, f + pos, channels, &m->patterns[p]);
        if (code != MPERR_OK)
            return mp_refuse(code, "MOD: pattern %u holds a note period or sample number outside the format's range", p);
    }

    m->instruments.resize(MOD_SAMPLE_COUNT);
    m->sampleRecords.resize(MOD_SAMPLE_COUNT);
    m->samples.assign(MOD_SAMPLE_COUNT, nullptr);
    mpMissing_T missing = {};
    for (int i = 0; i < MOD_SAMPLE_COUNT; i++) {
        const uint8_t* hdr = f + 20 + 30 * i;
        size_t stated = mp_be16(hdr + 22) * 2u;
        missing.shortSamples += stated > 0 && pos + stated > file.size();
        mpInstrument_T& inst = m->instruments[i];
        std::memcpy(inst.name, hdr, 22);
        uint32_t available = pos < file.size() ? (uint32_t)std::min<size_t>(file.size() - pos, 131070) : 0;
        if (enc.used[i]) {
            mpSample_T* s = &m->sampleRecords[i];
            setUpSample(s, hdr, available);
            inst.used = 1;
            inst.numSamples = 1;
            inst.sample = s;
            m->samples[i] = s;
            if (loadSamples) {
                code = uploadSample(s, f + pos);
                if (code != MPERR_OK) {
                    mp_freeModule(m.release());
                    return code;
                }
            }
        }
        pos += mp_be16(hdr + 22) * 2;
    }
    if (enc.wideOctaves)
        m->flags |= MP_FLAG_WIDE_OCTAVES;
    mp_warnMissing(missing, file.size(), m.get());
    *out = m.release();
    return MPERR_OK;
}
