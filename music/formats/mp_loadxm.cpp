// The XM reader: FastTracker 2 modules (instruments with several samples,
// envelopes, a volume column, 8- and 16-bit delta-coded samples) read whole
// into memory and turned into the common module form. Every size the file
// states is checked against what the file holds: a header or instrument
// larger than the fields we know is skipped as written, one smaller than
// them reads the missing fields as 0, and sample data cut short keeps what
// is there.
#include <algorithm>
#include <cstring>
#include <memory>

#include "music/formats/xm_layout.h"
#include "music/formats/mp_bytes.h"
#include "music/formats/mp_tracker.h"
#include "music/formats/mp_missing.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"

namespace {

struct xmReader_T {
    const uint8_t* f;
    size_t size;
    // Versions before 1.04 (1.02 and 1.03) keep every instrument and
    // sample header before the patterns and all sample data after them;
    // 1.02 also stores a pattern's row count as one byte, less one.
    bool early, rowsInByte;
    mpMissing_T missing;                // what a file cut short lacks
};


// Copies the `want` bytes at pos into a zeroed buffer, as many as the file
// and the record's stated size hold.
void readRecord(const xmReader_T& r, size_t pos, size_t stated, uint8_t* buf, size_t want)
{
    std::memset(buf, 0, want);
    if (pos >= r.size)
        return;
    size_t n = std::min({want, stated, r.size - pos});
    std::memcpy(buf, r.f + pos, n);
}

uint8_t noteByte(uint8_t xmNote)
{
    if (xmNote >= 1 && xmNote <= XM_LAST_NOTE)
        return (uint8_t)((xmNote - 1) / 12 * 16 + (xmNote - 1) % 12);
    return xmNote == XM_KEY_OFF ? (uint8_t)MP_NOTE_OFF : (uint8_t)MP_NONE;
}

// The volume column in the common encoding: set volume 0..64 as the value
// itself, the commands 0x60..0xFF as they are.
uint8_t volumeByte(uint8_t v)
{
    if (v >= 0x10 && v <= 0x50)
        return (uint8_t)(v - 0x10);
    return v >= 0x60 ? v : (uint8_t)MP_NO_VOLUME;
}

// One cell (already unpacked) of channel c into the encoding.
void encodeCell(std::vector<uint8_t>* out, int c, const uint8_t cell[5])
{
    uint8_t instrument = cell[1] ? (uint8_t)(cell[1] - 1) : (uint8_t)MP_NONE;
    bool hasCommand = (cell[3] || cell[4]) && cell[3] < XM_COMMANDS;
    mp_putEntry(out, c, noteByte(cell[0]), instrument, volumeByte(cell[2]), hasCommand ? (uint8_t)(cell[3] + 1) : 0,
                cell[4]);
}

// A packed pattern: a cell is either 5 plain bytes, or a byte with bit 7 set
// whose low 5 bits say which of the 5 follow. Data that ends inside a row
// leaves the rest of the pattern empty.
std::vector<uint8_t> encodePattern(const uint8_t* data, uint32_t bytes, int rows, int channels)
{
    std::vector<uint8_t> out(8);
    uint32_t p = 0;
    for (int row = 0; row < rows; row++) {
        for (int c = 0; c < channels; c++) {
            uint8_t cell[5] = {};
            if (p < bytes) {
                uint8_t first = data[p];
                uint8_t mask = first & 0x80 ? first & 0x1F : 0x1F;
                if (first & 0x80)
                    p++;
                for (int k = 0; k < 5; k++)
                    if ((mask >> k & 1) && p < bytes)
                        cell[k] = data[p++];
            }
            encodeCell(&out, c, cell);
        }
        out.push_back(0);
    }
    mp_finishPattern(&out, (uint32_t)rows);
    return out;
}

// Patterns in file order. One cut short keeps the rows it holds; those
// past the end of the file play empty.
void readPatterns(xmReader_T* r, size_t* pos, uint32_t count, int channels, mpModule_T* m)
{
    const uint32_t headerBytes = r->rowsInByte ? XM_PATTERN_HEADER - 1 : XM_PATTERN_HEADER;
    for (uint32_t i = 0; i < count; i++) {
        if (*pos + headerBytes > r->size) {
            r->missing.patterns += count - i;
            *pos = r->size;
            return;
        }
        const uint8_t* h = r->f + *pos;
        uint32_t headerLength = std::max<uint32_t>(mp_le32(h), headerBytes);
        uint32_t rows = r->rowsInByte ? h[5] + 1u : mp_le16(h + 5);
        uint32_t packed = mp_le16(h + headerBytes - 2);
        rows = rows == 0 ? 64 : std::min<uint32_t>(rows, XM_MAX_ROWS);
        size_t data = std::min(*pos + headerLength, r->size);
        if (packed > r->size - data) {
            r->missing.patterns++;
            packed = (uint32_t)(r->size - data);
        }
        m->patterns[i] = encodePattern(r->f + data, packed, (int)rows, channels);
        *pos = data + packed;
    }
}

// Points out of order end the envelope there; indices past its points drop
// the sustain or loop they name; values above 64 are 64.
void readEnvelope(const uint8_t* points, int count, int sustain, int loopStart, int loopEnd, int type,
                  mpEnvelope_T* env)
{
    env->numPoints = 0;
    for (int k = 0; k < std::min<int>(count, XM_ENV_POINTS); k++) {
        uint16_t tick = (uint16_t)mp_le16(points + 4 * k);
        if (k > 0 && tick <= env->tick[k - 1])
            break;
        env->tick[k] = tick;
        env->value[k] = (int16_t)std::min<uint32_t>(mp_le16(points + 4 * k + 2), 64);
        env->numPoints = k + 1;
    }
    int n = env->numPoints;
    env->flags = n > 0 && (type & MP_ENV_ON) ? MP_ENV_ON : 0;
    if ((type & MP_ENV_SUSTAIN) && sustain < n) {
        env->flags |= MP_ENV_SUSTAIN;
        env->sustainStart = env->sustainEnd = sustain;
    }
    if ((type & MP_ENV_LOOP) && loopStart <= loopEnd && loopEnd < n) {
        env->flags |= MP_ENV_LOOP;
        env->loopStart = loopStart;
        env->loopEnd = loopEnd;
    }
}

void readInstrumentHeader(const uint8_t* h, int numSamples, mpInstrument_T* inst)
{
    std::memcpy(inst->name, h + 4, 22);
    inst->numSamples = numSamples;
    inst->used = numSamples > 0;
    for (int n = 0; n < MP_NOTES; n++)
        inst->noteSample[n] = n < XM_LAST_NOTE && h[33 + n] < numSamples ? h[33 + n] : (uint8_t)MP_NONE;
    readEnvelope(h + 129, h[225], h[227], h[228], h[229], h[233], &inst->volumeEnvelope);
    readEnvelope(h + 177, h[226], h[230], h[231], h[232], h[234], &inst->panningEnvelope);
    inst->fadeout = (int32_t)mp_le16(h + 239);
}

// Sample header fields; lengths in bytes as written, cut to whole frames
// (a stereo sample's lengths and loop points count the bytes of both sides).
void readSampleHeader(const uint8_t* h, const uint8_t* inst, mpSample_T* s)
{
    bool is16 = h[14] & XM_SAMPLE_16BIT, stereo = h[14] & XM_SAMPLE_STEREO;
    s->type = dsm_sampleType(is16, stereo);
    uint32_t mask = ~((1u << dsm_frameShift(s->type)) - 1);
    s->length = mp_le32(h) & mask;
    s->loopStart = mp_le32(h + 4) & mask;
    s->loopEnd = s->loopStart + (mp_le32(h + 8) & mask);
    s->volume = std::min<int>(h[12], 64);
    s->finetune = (int8_t)h[13];
    int loop = h[14] & 3;
    s->loopType = loop == 0 ? MP_LOOP_NONE : loop == 2 ? MP_LOOP_PINGPONG : MP_LOOP_FORWARD;
    s->panning = h[15];
    s->relativeNote = (int8_t)h[16];
    s->vibType = inst[235] & 3;
    s->vibSweep = inst[236];
    s->vibDepth = inst[237] & 15;
    s->vibRate = inst[238];
}

// Delta-coded data into what the mixer plays: unsigned 8-bit bytes or
// signed 16-bit values. `available` bytes of the stated length are there.
std::vector<uint8_t> decodeSample(const uint8_t* src, uint32_t available, bool is16)
{
    std::vector<uint8_t> out(available);
    if (is16) {
        int16_t value = 0;
        for (uint32_t i = 0; i + 1 < available; i += 2) {
            value = (int16_t)(value + (int16_t)mp_le16(src + i));
            std::memcpy(out.data() + i, &value, 2);
        }
    } else {
        int8_t value = 0;
        for (uint32_t i = 0; i < available; i++) {
            value = (int8_t)(value + (int8_t)src[i]);
            out[i] = (uint8_t)(value ^ 0x80);
        }
    }
    return out;
}

// A stereo sample's data: each side delta-coded on its own, the left half of
// the stated bytes then the right, the first `frames` frames of each
// interleaved as the mixer plays them.
std::vector<uint8_t> decodeStereo(const uint8_t* src, uint32_t stated, uint32_t frames, bool is16)
{
    uint32_t sideBytes = frames * (is16 ? 2 : 1);
    std::vector<uint8_t> left = decodeSample(src, sideBytes, is16), right = decodeSample(src + stated / 2, sideBytes, is16);
    std::vector<uint8_t> out(2 * (size_t)sideBytes);
    int v = is16 ? 2 : 1;
    for (uint32_t i = 0; i < frames; i++) {
        std::memcpy(out.data() + 2 * (size_t)i * v, left.data() + (size_t)i * v, v);
        std::memcpy(out.data() + (2 * (size_t)i + 1) * v, right.data() + (size_t)i * v, v);
    }
    return out;
}

// The length becomes what the file holds; loops are kept inside it.
void fitSample(mpSample_T* s, uint32_t available)
{
    s->length = std::min(s->length, available);
    s->loopEnd = std::min(s->loopEnd, s->length);
    if (s->loopType == MP_LOOP_NONE || s->loopStart >= s->loopEnd) {
        s->loopType = MP_LOOP_NONE;
        s->loopStart = s->loopEnd = 0;
    }
    s->loopFlag = s->loopType != MP_LOOP_NONE;
    if (s->length == 0)
        s->type = DSM_SMP_NONE;
}

// The data of samples [first, end) from pos on, each as long as its
// header states; a file that ends among them keeps what is there.
int readSampleData(xmReader_T* r, size_t* pos, size_t first, size_t end, int loadSamples, mpModule_T* m)
{
    for (size_t k = first; k < end; k++) {
        mpSample_T& s = m->sampleRecords[k];
        uint32_t stored = s.length;
        size_t at = std::min(*pos, r->size);
        uint32_t available = (uint32_t)std::min<size_t>(stored, r->size - at);
        r->missing.shortSamples += available < stored;
        bool is16 = dsm_is16BitSample(s.type), stereo = dsm_isStereoSample(s.type);
        // Whole frames: a stereo frame needs its value in the right half too.
        uint32_t frames = stereo ? (available > stored / 2 ? available - stored / 2 : 0) >> (is16 ? 1 : 0)
                                 : available >> dsm_frameShift(s.type);
        fitSample(&s, frames << dsm_frameShift(s.type));
        if (loadSamples && s.type != DSM_SMP_NONE) {
            std::vector<uint8_t> data = stereo ? decodeStereo(r->f + at, stored, frames, is16)
                                               : decodeSample(r->f + at, s.length, is16);
            int code = mp_uploadSample(&s, data.data());
            if (code != MPERR_OK)
                return code;
        }
        *pos = at + std::min<size_t>(stored, r->size - at);
    }
    return MPERR_OK;
}

// Instruments, each followed by its sample headers and (from version 1.04)
// then their data. A file that ends among them leaves the remaining
// instruments empty.
int readInstruments(xmReader_T* r, size_t* pos, int loadSamples, mpModule_T* m, std::vector<size_t>* first)
{
    first->assign(m->numInsts, 0);
    for (uint32_t i = 0; i < m->numInsts; i++) {
        if (*pos + 4 > r->size) {
            r->missing.instruments += m->numInsts - i;
            break;
        }
        uint8_t h[XM_INSTRUMENT_HEADER];
        uint32_t stated = mp_le32(r->f + *pos);
        readRecord(*r, *pos, stated, h, sizeof h);
        int numSamples = stated >= 29 ? (int)mp_le16(h + 27) : 0;
        if (numSamples > XM_MAX_SAMPLES)
            return mp_refuse(MPERR_INVALID_INSTRUMENT, "XM: instrument %u has %d samples (at most %d)", i + 1,
                             numSamples, XM_MAX_SAMPLES);
        mpInstrument_T& inst = m->instruments[i];
        readInstrumentHeader(h, numSamples, &inst);
        uint32_t headerSize = numSamples ? mp_le32(h + 29) : 0;
        if (headerSize == 0)
            headerSize = XM_SAMPLE_HEADER;
        *pos += std::max<uint32_t>(stated, 4);
        (*first)[i] = m->sampleRecords.size();
        for (int k = 0; k < numSamples; k++, *pos += headerSize) {
            uint8_t sh[XM_SAMPLE_HEADER];
            readRecord(*r, *pos, headerSize, sh, sizeof sh);
            mpSample_T s = {};
            readSampleHeader(sh, h, &s);
            m->sampleRecords.push_back(s);
        }
        if (!r->early) {
            int code = readSampleData(r, pos, (*first)[i], m->sampleRecords.size(), loadSamples, m);
            if (code != MPERR_OK)
                return code;
        }
    }
    return MPERR_OK;
}

// The records are all in place now: point the instruments at theirs.
void linkSamples(const std::vector<size_t>& first, mpModule_T* m)
{
    m->numSamples = (uint32_t)m->sampleRecords.size();
    m->samples.assign(m->numInsts, nullptr);
    for (uint32_t i = 0; i < m->numInsts; i++) {
        mpInstrument_T& inst = m->instruments[i];
        if (inst.numSamples > 0 && first[i] + inst.numSamples <= m->sampleRecords.size()) {
            inst.sample = &m->sampleRecords[first[i]];
            m->samples[i] = inst.sample;
        } else {
            inst.numSamples = 0;
            inst.used = 0;
        }
    }
}

} // namespace

int mp_loadXm(const char* fileName, int loadSamples, void*, mpModule_T** out)
{
    *out = nullptr;
    std::vector<uint8_t> file;
    int code = mp_readWholeFile(fileName, XM_HEADER_FIXED, &file);
    if (code != MPERR_OK)
        return code;
    xmReader_T r = {};
    r.f = file.data();
    r.size = file.size();
    const uint8_t* f = r.f;
    uint32_t version = mp_le16(f + 58);
    r.early = version < XM_VERSION_CURRENT;
    r.rowsInByte = version <= XM_VERSION_ROWS_IN_BYTE;
    uint32_t headerSize = mp_le32(f + 60);
    uint32_t songLength = mp_le16(f + 64), channels = mp_le16(f + 68);
    uint32_t numPatterns = mp_le16(f + 70), numInsts = mp_le16(f + 72);
    // The order table ends with the header as written, at most 256 entries.
    uint32_t orderRoom = headerSize > 20 ? std::min<uint32_t>(headerSize - 20, 256) : 0;
    songLength = std::min(songLength, orderRoom);
    if (songLength == 0)
        return mp_refuse(MPERR_INVALID_MODULE, "XM: the song has no orders (header size %u)", headerSize);
    if (channels == 0 || channels > MP_MAX_CHANNELS || numPatterns > 256 || numInsts > XM_MAX_INSTRUMENTS)
        return mp_refuse(MPERR_INVALID_MODULE,
                         "XM: %u channels, %u patterns, %u instruments (at most %d, 256, %d)", channels,
                         numPatterns, numInsts, MP_MAX_CHANNELS, XM_MAX_INSTRUMENTS);
    if (r.size < XM_HEADER_FIXED + songLength)
        return mp_refuse(MPERR_END_OF_FILE, "XM: the file (%zu bytes) ends inside its order table", r.size);
    if (60 + (size_t)headerSize > r.size)
        return mp_refuse(MPERR_END_OF_FILE, "XM: the header's size (%u bytes) runs past the end of the file (%zu bytes)",
                         headerSize, r.size);

    std::unique_ptr<mpModule_T> m(new mpModule_T());
    std::memcpy(m->name, f + 17, 20);
    m->formatId = MP_FORMAT_XM;
    m->flowRules = MP_FLOW_FT2;
    m->tracker = mp_trackerOfHeader(f, r.size);
    m->flags |= MP_FLAG_BALANCED_PAN;
    m->songLength = songLength;
    uint32_t restart = mp_le16(f + 66);
    m->restartPos = restart < songLength ? restart : 0;
    m->numInsts = numInsts;
    m->numChannels = (uint8_t)channels;
    m->masterVolume = 64;
    uint32_t speed = mp_le16(f + 76), bpm = mp_le16(f + 78);
    m->speed = (uint8_t)(speed == 0 || speed > 31 ? 6 : speed);
    m->tempo = (uint8_t)(bpm < 32 || bpm > 255 ? 125 : bpm);
    for (int c = 0; c < MP_MAX_CHANNELS; c++)
        m->panning[c] = 64;
    if (mp_le16(f + 74) & 1)
        m->flags |= MP_FLAG_LINEAR;
    m->orders.assign(f + 80, f + 80 + songLength);
    // An order naming a pattern the file lacks is passed over, as the players
    // people use play it; where no order names a stored pattern, they play empty ones.
    bool stored = std::any_of(m->orders.begin(), m->orders.end(), [&](uint16_t o) { return o < numPatterns; });
    uint32_t highest = 0;
    for (uint16_t& o : m->orders) {
        if (stored && o >= numPatterns)
            o = MP_ORDER_SKIP;
        else
            highest = std::max<uint32_t>(highest, o);
    }
    m->numPatterns = std::max(numPatterns, highest + 1);
    m->patterns.resize(m->numPatterns);
    for (auto& p : m->patterns)
        p = encodePattern(nullptr, 0, 64, 0);

    size_t pos = 60 + (size_t)headerSize;
    m->instruments.resize(numInsts);
    std::vector<size_t> first;
    if (r.early) {
        code = readInstruments(&r, &pos, loadSamples, m.get(), &first);
        readPatterns(&r, &pos, numPatterns, (int)channels, m.get());
        if (code == MPERR_OK)
            code = readSampleData(&r, &pos, 0, m->sampleRecords.size(), loadSamples, m.get());
    } else {
        readPatterns(&r, &pos, numPatterns, (int)channels, m.get());
        code = readInstruments(&r, &pos, loadSamples, m.get(), &first);
    }
    if (code != MPERR_OK) {
        mp_freeModule(m.release());
        return code;
    }
    linkSamples(first, m.get());
    mp_warnMissing(r.missing, r.size, m.get());
    *out = m.release();
    return MPERR_OK;
}
