// The S3M reader: ScreamTracker 3 modules, read whole into memory and turned
// into the common module form. Every count, offset and length the file
// gives is checked against the file before it is used: a header that does
// not fit is refused, a sample or pattern that runs past the end keeps what
// is there, and what points outside the file is left silent.
#include <algorithm>
#include <cstring>
#include <memory>

#include "music/formats/mp_bytes.h"
#include "music/formats/mp_tracker.h"
#include "music/formats/mp_missing.h"
#include "music/formats/mp_orders.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"

enum {
    S3M_HEADER = 96, S3M_INSTRUMENT = 80, S3M_ROWS = 64, S3M_CHANNELS = 32,
    S3M_MAX_ORDERS = 256, S3M_MAX_INSTRUMENTS = 255, S3M_MAX_PATTERNS = 256,
    S3M_NOTE_CUT = 254, S3M_PAN_TABLE = 252, S3M_LAST_COMMAND = 26
};
// Header flags, sample flags and the sample format word.
enum { S3M_AMIGA_LIMITS = 16, S3M_FAST_SLIDES = 64, S3M_FAST_SLIDES_VERSION = 0x1300 };
enum { S3M_SMP_LOOP = 1, S3M_SMP_STEREO = 2, S3M_SMP_16BIT = 4, S3M_UNSIGNED = 2 };
enum { S3M_TYPE_SAMPLE = 1, S3M_TYPE_ADLIB_FIRST = 2, S3M_TYPE_ADLIB_LAST = 7 };


struct s3mReader_T {
    const uint8_t* f;
    size_t size;
    int channelMap[S3M_CHANNELS];       // file channel -> module channel, -1 when not played
    std::vector<bool> used;             // instruments some note names
    int unsignedSamples;
    mpMissing_T missing;                // what a file cut short lacks
};

// Enabled channels are played in file order; disabled ones (bit 7) and
// unused ones (255) are dropped with their pattern data. Default panning:
// channels 0 to 7 left, 8 to 15 right, AdLib channels centred; the header's
// pan table, when present, overrides it; a mono song centres everything.
static int mapChannels(s3mReader_T* r, mpModule_T* m, size_t panTable)
{
    int n = 0;
    bool stereo = (r->f[51] & 0x80) != 0;
    for (int c = 0; c < S3M_CHANNELS; c++) {
        uint8_t setting = r->f[64 + c];
        r->channelMap[c] = -1;
        if (setting & 0x80)
            continue;
        int pan = setting < 8 ? 3 : setting < 16 ? 12 : 7;
        if (panTable && (r->f[panTable + c] & 0x20))
            pan = r->f[panTable + c] & 15;
        m->panning[n] = stereo ? mp_panFromNibble(pan) : 64;
        r->channelMap[c] = n++;
    }
    for (int c = n; c < MP_MAX_CHANNELS; c++)
        m->panning[c] = 64;
    if (!stereo)
        m->flags |= MP_FLAG_MONO;
    return n;
}

// One pattern into the common encoding. Rows missing at the file's end are
// empty; cells of dropped channels are skipped.
static void encodePattern(s3mReader_T* r, size_t offset, std::vector<uint8_t>* out)
{
    out->assign(8, 0);
    size_t p = offset + 2, end = r->size;
    bool cut = false;
    for (int row = 0; row < S3M_ROWS; row++) {
        bool rowEnded = false;
        while (offset && p < end) {
            uint8_t what = r->f[p++];
            if (what == 0) {
                rowEnded = true;
                break;
            }
            size_t need = (what & 0x20 ? 2 : 0) + (what & 0x40 ? 1 : 0) + (what & 0x80 ? 2 : 0);
            if (p + need > end) {
                p = end;
                break;
            }
            int channel = r->channelMap[what & 31];
            uint8_t note = MP_NONE, instrument = MP_NONE, volume = MP_NO_VOLUME, command = 0, param = 0;
            if (what & 0x20) {
                note = r->f[p];
                if (note == S3M_NOTE_CUT)
                    note = MP_NOTE_CUT;
                else if ((note & 15) > 11 || (note >> 4) > 9)
                    note = MP_NONE;             // no such semitone or octave
                instrument = r->f[p + 1] ? (uint8_t)(r->f[p + 1] - 1) : (uint8_t)MP_NONE;
                p += 2;
            }
            if (what & 0x40)
                volume = std::min<uint8_t>(r->f[p++], 64);
            if (what & 0x80) {
                command = r->f[p] <= S3M_LAST_COMMAND ? r->f[p] : 0;
                param = r->f[p + 1];
                p += 2;
            }
            if (channel < 0)
                continue;
            if (instrument != MP_NONE && instrument < r->used.size())
                r->used[instrument] = true;
            mp_putEntry(out, channel, note, instrument, volume, command, param);
        }
        cut = cut || (offset && !rowEnded);
        out->push_back(0);
    }
    r->missing.patterns += cut;
    mp_finishPattern(out, S3M_ROWS);
}

// A sample's header into its record: frames that the file holds, loop
// points kept inside them. Packed (ADPCM) data and AdLib instruments stay
// silent.
static void setUpSample(s3mReader_T* r, const uint8_t* h, mpSample_T* s, size_t* dataOffset)
{
    int flags = h[31];
    int frameBytes = (flags & S3M_SMP_16BIT ? 2 : 1) * (flags & S3M_SMP_STEREO ? 2 : 1);
    *dataOffset = ((size_t)h[13] << 20) | (size_t)mp_le16(h + 14) << 4;
    size_t available = *dataOffset < r->size ? r->size - *dataOffset : 0;
    uint32_t stated = mp_le32(h + 16);
    uint32_t frames = (uint32_t)std::min<size_t>(stated, available / frameBytes);
    if (h[30] != 0)
        frames = 0;
    else
        r->missing.shortSamples += frames < stated;
    uint32_t loopStart = mp_le32(h + 20), loopEnd = std::min(mp_le32(h + 24), frames);
    s->volume = std::min<int>(h[28], 64);
    s->c4Speed = mp_le32(h + 32);
    s->loopFlag = (flags & S3M_SMP_LOOP) && loopStart < loopEnd ? 1 : 0;
    s->loopType = s->loopFlag ? DSM_LOOP_TRACKER : DSM_LOOP_NONE;
    s->loopStart = s->loopFlag ? loopStart * frameBytes : 0;
    s->loopEnd = s->loopFlag ? loopEnd * frameBytes : 0;
    s->length = frames * frameBytes;
    s->type = frames ? dsm_sampleType(flags & S3M_SMP_16BIT, flags & S3M_SMP_STEREO) : DSM_SMP_NONE;
}

// The mixer's form: 8-bit unsigned, 16-bit signed in the machine's order,
// stereo frames side by side (the file keeps all the left values, then all
// the right ones).
static int uploadSample(s3mReader_T* r, mpSample_T* s, size_t offset)
{
    if (s->type == DSM_SMP_NONE)
        return MPERR_OK;
    bool wide = dsm_is16BitSample(s->type), stereo = dsm_isStereoSample(s->type);
    uint32_t values = s->length / (wide ? 2 : 1), perSide = stereo ? values / 2 : values;
    std::vector<uint8_t> data(s->length);
    const uint8_t* src = r->f + offset;
    for (uint32_t i = 0; i < values; i++) {
        uint32_t from = stereo ? (i & 1) * perSide + i / 2 : i;
        if (wide) {
            uint16_t v = (uint16_t)mp_le16(src + 2 * from) ^ (r->unsignedSamples ? 0x8000 : 0);
            int16_t sv = (int16_t)v;
            std::memcpy(&data[2 * i], &sv, 2);
        } else {
            data[i] = src[from] ^ (r->unsignedSamples ? 0 : 0x80);
        }
    }
    return mp_uploadSample(s, data.data());
}

static void readInstrument(s3mReader_T* r, size_t offset, mpInstrument_T* inst, mpSample_T* s, size_t* dataOffset)
{
    *dataOffset = 0;
    if (offset && offset + S3M_INSTRUMENT > r->size)
        r->missing.instruments++;
    if (!offset || offset + S3M_INSTRUMENT > r->size)
        return;                         // none, or outside the file: silent
    const uint8_t* h = r->f + offset;
    std::memcpy(inst->name, h + 48, 22);
    std::memcpy(inst->longName, h + 48, 28);
    if (h[0] == S3M_TYPE_SAMPLE)
        setUpSample(r, h, s, dataOffset);
    else if (h[0] >= S3M_TYPE_ADLIB_FIRST && h[0] <= S3M_TYPE_ADLIB_LAST)
        s->adlib = 1;
}

int mp_loadS3m(const char* fileName, int loadSamples, void*, mpModule_T** out)
{
    *out = nullptr;
    std::vector<uint8_t> file;
    int code = mp_readWholeFile(fileName, S3M_HEADER, &file);
    if (code != MPERR_OK)
        return code;
    s3mReader_T r = {};
    r.f = file.data();
    r.size = file.size();
    const uint8_t* f = r.f;
    uint32_t numOrders = mp_le16(f + 32), numInsts = mp_le16(f + 34), numPatterns = mp_le16(f + 36);
    if (std::memcmp(f + 44, "SCRM", 4) != 0)
        return mp_refuse(MPERR_INVALID_MODULE, "S3M: no SCRM signature");
    if (numOrders > S3M_MAX_ORDERS || numInsts > S3M_MAX_INSTRUMENTS || numPatterns > S3M_MAX_PATTERNS)
        return mp_refuse(MPERR_INVALID_MODULE, "S3M: %u orders, %u instruments, %u patterns (at most 256, 255, 256)",
                         numOrders, numInsts, numPatterns);
    size_t instPointers = S3M_HEADER + numOrders, patPointers = instPointers + 2 * numInsts;
    size_t panTable = f[53] == S3M_PAN_TABLE ? patPointers + 2 * numPatterns : 0;
    if (r.size < patPointers + 2 * numPatterns + (panTable ? S3M_CHANNELS : 0))
        return mp_refuse(MPERR_END_OF_FILE, "S3M: the file (%zu bytes) ends inside its order list and pointer tables",
                         r.size);

    std::unique_ptr<mpModule_T> m(new mpModule_T());
    std::memcpy(m->name, f, 28);
    m->formatId = MP_FORMAT_S3M;
    m->flowRules = MP_FLOW_ST3;
    m->tracker = mp_trackerOfHeader(f, r.size);
    m->flags |= MP_FLAG_BALANCED_PAN;
    int channels = mapChannels(&r, m.get(), panTable);
    uint32_t highest = 0;
    bool playable = mp_readOrderList(f + S3M_HEADER, numOrders, &m->orders, &highest);
    if (!playable)
        return mp_refuse(MPERR_INVALID_MODULE, "S3M: the order list names no pattern to play");
    if (channels == 0)
        return mp_refuse(MPERR_INVALID_MODULE, "S3M: every channel is disabled");
    m->songLength = (uint32_t)m->orders.size();
    m->numInsts = m->numSamples = numInsts;
    // An order may name a pattern the file lacks: it plays empty.
    m->numPatterns = std::max(numPatterns, highest + 1);
    m->numChannels = (uint8_t)channels;
    m->masterVolume = std::min<uint8_t>(f[48], 64);
    m->speed = f[49] ? f[49] : 6;
    m->tempo = f[50] >= 33 ? f[50] : 125;
    uint32_t flags = mp_le16(f + 38), version = mp_le16(f + 40);
    if (flags & S3M_AMIGA_LIMITS)
        m->flags |= MP_FLAG_AMIGA_LIMITS;
    if ((flags & S3M_FAST_SLIDES) || version == S3M_FAST_SLIDES_VERSION)
        m->flags |= MP_FLAG_FAST_SLIDES;
    r.unsignedSamples = mp_le16(f + 42) == S3M_UNSIGNED;

    r.used.assign(numInsts, false);
    m->patterns.resize(m->numPatterns);
    for (uint32_t p = 0; p < m->numPatterns; p++) {
        // A pattern past the end of the file plays empty.
        size_t offset = p < numPatterns ? (size_t)mp_le16(f + patPointers + 2 * p) << 4 : 0;
        if (offset && offset + 2 > r.size) {
            r.missing.patterns++;
            offset = 0;
        }
        encodePattern(&r, offset, &m->patterns[p]);
    }

    m->instruments.resize(numInsts);
    m->sampleRecords.resize(numInsts);
    m->samples.assign(numInsts, nullptr);
    for (uint32_t i = 0; i < numInsts; i++) {
        mpInstrument_T& inst = m->instruments[i];
        mpSample_T* s = &m->sampleRecords[i];
        size_t dataOffset;
        readInstrument(&r, (size_t)mp_le16(f + instPointers + 2 * i) << 4, &inst, s, &dataOffset);
        if (!r.used[i])
            continue;
        inst.used = 1;
        inst.numSamples = 1;
        inst.sample = s;
        m->samples[i] = s;
        if (loadSamples) {
            code = uploadSample(&r, s, dataOffset);
            if (code != MPERR_OK) {
                mp_freeModule(m.release());
                return code;
            }
        }
    }
    mp_warnMissing(r.missing, r.size, m.get());
    *out = m.release();
    return MPERR_OK;
}
