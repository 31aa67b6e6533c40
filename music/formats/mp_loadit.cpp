// The IT reader: Impulse Tracker modules read whole into memory and turned
// into the common module form. Instruments come in two layouts (before and
// from version 2.00), samples may be compressed, patterns are packed with a
// per-channel mask and the previous values of each channel. Every offset
// the file states is checked against its size: a record outside the file is
// left empty, compressed data cut short keeps what decodes.
#include <algorithm>
#include <cstring>
#include <memory>

#include "music/formats/it_layout.h"
#include "music/formats/it_sample.h"
#include "music/formats/mp_bytes.h"
#include "music/formats/mp_tracker.h"
#include "music/formats/mp_missing.h"
#include "music/formats/mp_orders.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"

namespace {

struct itReader_T {
    const uint8_t* f;
    size_t size;
    mpMissing_T* missing;
    // Frames all samples may still decode to. Every frame takes at least a
    // bit of the file, so a file holds no more than 8 per byte; headers
    // that share their data cannot make more of it than that.
    uint64_t* framesLeft;
};


// The record of `want` bytes at an offset the file names, or null when it
// does not lie wholly inside the file.
const uint8_t* recordAt(const itReader_T& r, uint32_t offset, size_t want)
{
    if (offset == 0 || offset > r.size || want > r.size - offset)
        return nullptr;
    return r.f + offset;
}

uint8_t noteByte(uint8_t n)
{
    if (n <= IT_LAST_NOTE)
        return (uint8_t)(n / 12 * 16 + n % 12);
    return n == IT_NOTE_OFF ? (uint8_t)MP_NOTE_OFF : n == IT_NOTE_CUT ? (uint8_t)MP_NOTE_CUT : (uint8_t)MP_NOTE_FADE;
}

// IT's volume column runs 0..212; the common encoding keeps MP_NO_VOLUME
// for none, so values from there on move up by one.
uint8_t volumeByte(uint8_t v) { return v < MP_NO_VOLUME ? v : (uint8_t)(v + 1); }

struct itCell_T {
    uint8_t mask;           // what this cell holds: 1 note, 2 instrument, 4 volume, 8 command
    uint8_t note, instrument, volume, command, param;
};

void encodeCell(std::vector<uint8_t>* out, int c, const itCell_T& cell)
{
    bool hasNote = cell.mask & 3;
    bool hasVolume = (cell.mask & 4) && cell.volume <= 212;
    bool hasCommand = (cell.mask & 8) && ((cell.command >= 1 && cell.command <= IT_LAST_LETTER) ||
                                          cell.command == IT_SMOOTH_MIDI);
    uint8_t note = hasNote && (cell.mask & 1) ? noteByte(cell.note) : (uint8_t)MP_NONE;
    uint8_t instrument = hasNote && (cell.mask & 2) && cell.instrument ? (uint8_t)(cell.instrument - 1) : (uint8_t)MP_NONE;
    mp_putEntry(out, c, note, instrument, hasVolume ? volumeByte(cell.volume) : (uint8_t)MP_NO_VOLUME,
                hasCommand ? cell.command : 0, hasCommand ? cell.param : 0);
}

std::vector<uint8_t> emptyPattern()
{
    std::vector<uint8_t> out(8 + 64, 0);
    mp_finishPattern(&out, 64);
    return out;
}

// What unpacking a pattern learns about the channels.
struct itChannels_T {
    bool enabled[IT_MAX_CHANNELS];
    int highest;            // highest channel the patterns name, -1 none
    bool dropped;           // data in channels past the common encoding's
};

// A packed pattern: per entry a channel byte (0 ends the row; bit 7: a new
// mask follows), then the fields the mask names; bits 4..7 of the mask
// repeat the channel's previous note, instrument, volume and command.
// Data that ends inside a row leaves the rest of the pattern empty.
std::vector<uint8_t> unpackPattern(const uint8_t* d, uint32_t bytes, uint32_t rows, itChannels_T* ch)
{
    std::vector<uint8_t> out(8);
    itCell_T last[IT_MAX_CHANNELS] = {};
    uint8_t lastMask[IT_MAX_CHANNELS] = {};
    uint32_t p = 0;
    for (uint32_t row = 0; row < rows; row++) {
        itCell_T cells[MP_MAX_CHANNELS] = {};
        while (p < bytes) {
            uint8_t cv = d[p++];
            if (cv == 0)
                break;
            int c = (cv - 1) & 63;
            if (cv & 128) {
                if (p >= bytes)
                    break;
                lastMask[c] = d[p++];
            }
            uint8_t m = lastMask[c];
            itCell_T& l = last[c];
            itCell_T cell = {};
            if ((m & 1) && p < bytes)
                l.note = d[p++];
            if ((m & 2) && p < bytes)
                l.instrument = d[p++];
            if ((m & 4) && p < bytes)
                l.volume = d[p++];
            if ((m & 8) && p + 1 < bytes) {
                l.command = d[p];
                l.param = d[p + 1];
                p += 2;
            }
            cell.mask = (uint8_t)((m | m >> 4) & 15);
            cell.note = l.note;
            cell.instrument = l.instrument;
            cell.volume = l.volume;
            cell.command = l.command;
            cell.param = l.param;
            if (!cell.mask)
                continue;
            if (c >= MP_MAX_CHANNELS) {
                ch->dropped = true;
                continue;
            }
            // A disabled channel's cells are kept: its commands still steer
            // the song, and its channel volume of 0 keeps its notes unheard.
            ch->highest = std::max(ch->highest, c);
            cells[c] = cell;
        }
        for (int c = 0; c < MP_MAX_CHANNELS; c++)
            encodeCell(&out, c, cells[c]);
        out.push_back(0);
    }
    mp_finishPattern(&out, rows);
    return out;
}

// Envelope points (value, tick) out of order end the envelope there; loop
// and sustain ranges naming points it lacks are dropped. `bias` moves the
// panning and pitch envelopes' -32..32 to 0..64.
void readEnvelope(const uint8_t* e, int bias, mpEnvelope_T* env)
{
    int flags = e[0], count = std::min<int>(e[1], IT_ENV_POINTS);
    env->numPoints = 0;
    for (int k = 0; k < count; k++) {
        const uint8_t* pt = e + 6 + 3 * k;
        uint16_t tick = (uint16_t)mp_le16(pt + 1);
        if (k > 0 && tick <= env->tick[k - 1])
            break;
        env->tick[k] = tick;
        env->value[k] = (int16_t)std::clamp((int8_t)pt[0] + bias, 0, 64);
        env->numPoints = k + 1;
    }
    int n = env->numPoints;
    env->flags = n > 0 && (flags & IT_ENV_ON) ? MP_ENV_ON : 0;
    if ((flags & IT_ENV_LOOP) && e[2] <= e[3] && e[3] < n) {
        env->flags |= MP_ENV_LOOP;
        env->loopStart = e[2];
        env->loopEnd = e[3];
    }
    if ((flags & IT_ENV_SUSTAIN) && e[4] <= e[5] && e[5] < n) {
        env->flags |= MP_ENV_SUSTAIN;
        env->sustainStart = e[4];
        env->sustainEnd = e[5];
    }
    if (flags & IT_ENV_FILTER)
        env->flags |= MP_ENV_FILTER;
}

void readKeyboard(const uint8_t* table, int numSamples, mpInstrument_T* inst)
{
    for (int n = 0; n < MP_NOTES; n++) {
        int note = table[2 * n], sample = table[2 * n + 1];
        inst->noteMap[n] = (uint8_t)(note <= IT_LAST_NOTE ? note : n);
        inst->noteSample[n] = sample >= 1 && sample <= numSamples ? (uint8_t)(sample - 1) : (uint8_t)MP_NONE;
    }
}

void defaultInstrument(mpInstrument_T* inst)
{
    inst->nna = MP_NNA_CUT;
    inst->globalVolume = 128;
    inst->defaultPan = -1;
    inst->pitchPanCentre = 60;
    inst->filterCutoff = inst->filterResonance = -1;
}

// The layout from 2.00: three envelopes, new-note action, duplicate check,
// random variations, filter.
void readNewInstrument(const uint8_t* h, int numSamples, mpInstrument_T* inst)
{
    std::memcpy(inst->name, h + 0x20, 22);
    inst->nna = h[0x11] & 3;
    inst->dct = h[0x12] & 3;
    inst->dca = std::min<int>(h[0x13], MP_DCA_FADE);
    inst->fadeout = (int32_t)std::min<uint32_t>(mp_le16(h + 0x14), 1024) * 32;
    inst->pitchPanSeparation = std::clamp((int)(int8_t)h[0x16], -32, 32);
    inst->pitchPanCentre = std::min<int>(h[0x17], IT_LAST_NOTE);
    inst->globalVolume = std::min<int>(h[0x18], 128);
    inst->defaultPan = h[0x19] & 128 ? -1 : std::min<int>(h[0x19], 64);
    inst->randomVolume = std::min<int>(h[0x1A], 100);
    inst->randomPan = std::min<int>(h[0x1B], 64);
    inst->filterCutoff = h[0x3A] & 128 ? h[0x3A] & 127 : -1;
    inst->filterResonance = h[0x3B] & 128 ? h[0x3B] & 127 : -1;
    readKeyboard(h + 0x40, numSamples, inst);
    readEnvelope(h + 0x130, 0, &inst->volumeEnvelope);
    readEnvelope(h + 0x182, 32, &inst->panningEnvelope);
    readEnvelope(h + 0x1D4, 32, &inst->pitchEnvelope);
}

// The layout before 2.00: a volume envelope of (tick, value) byte pairs
// ended by tick 255, a fadeout counted from 512, a duplicate-note switch.
void readOldInstrument(const uint8_t* h, int numSamples, mpInstrument_T* inst)
{
    std::memcpy(inst->name, h + 0x20, 22);
    inst->fadeout = (int32_t)std::min<uint32_t>(mp_le16(h + 0x18), 256) * 64;
    inst->nna = h[0x1A] & 3;
    inst->dct = h[0x1B] ? MP_DCT_NOTE : MP_DCT_OFF;
    readKeyboard(h + 0x40, numSamples, inst);
    mpEnvelope_T& env = inst->volumeEnvelope;
    for (int k = 0; k < IT_ENV_POINTS; k++) {
        uint8_t tick = h[0x1F8 + 2 * k], value = h[0x1F9 + 2 * k];
        if (tick == 255 || (k > 0 && tick <= env.tick[k - 1]))
            break;
        env.tick[k] = tick;
        env.value[k] = (int16_t)std::min<int>(value, 64);
        env.numPoints = k + 1;
    }
    int flags = h[0x11], n = env.numPoints;
    env.flags = n > 0 && (flags & 1) ? MP_ENV_ON : 0;
    if ((flags & 2) && h[0x12] <= h[0x13] && h[0x13] < n) {
        env.flags |= MP_ENV_LOOP;
        env.loopStart = h[0x12];
        env.loopEnd = h[0x13];
    }
    if ((flags & 4) && h[0x14] <= h[0x15] && h[0x15] < n) {
        env.flags |= MP_ENV_SUSTAIN;
        env.sustainStart = h[0x14];
        env.sustainEnd = h[0x15];
    }
}

// Sample mode: one instrument per sample that plays it on every note.
void sampleInstrument(int k, mpInstrument_T* inst)
{
    defaultInstrument(inst);
    for (int n = 0; n < MP_NOTES; n++) {
        inst->noteMap[n] = (uint8_t)n;
        inst->noteSample[n] = (uint8_t)k;
    }
}

int loopType(bool on, bool pingpong) { return !on ? MP_LOOP_NONE : pingpong ? MP_LOOP_PINGPONG : MP_LOOP_FORWARD; }

// Loop points in frames into bytes, kept inside the sample; an empty range
// is no loop.
void fitLoop(uint32_t frames, int shift, uint32_t* start, uint32_t* end, int32_t* type)
{
    uint32_t e = std::min(*end, frames);
    if (*type == MP_LOOP_NONE || *start >= e) {
        *type = MP_LOOP_NONE;
        *start = *end = 0;
        return;
    }
    *start <<= shift;
    *end = e << shift;
}

void readSampleHeader(const uint8_t* h, mpSample_T* s)
{
    uint8_t flags = h[0x12];
    s->globalVolume = std::min<int>(h[0x11], 64);
    s->volume = std::min<int>(h[0x13], 64);
    s->defaultPan = h[0x2F] & 128 ? std::min<int>(h[0x2F] & 127, 64) : -1;
    s->c4Speed = std::min<uint32_t>(mp_le32(h + 0x3C), 9999999);
    s->loopStart = mp_le32(h + 0x34);
    s->loopEnd = mp_le32(h + 0x38);
    s->loopType = loopType(flags & ITS_LOOP, flags & ITS_PINGPONG);
    s->sustainStart = mp_le32(h + 0x40);
    s->sustainEnd = mp_le32(h + 0x44);
    s->sustainType = loopType(flags & ITS_SUSTAIN, flags & ITS_SUSTAIN_PINGPONG);
    s->vibRate = h[0x4C];
    s->vibDepth = h[0x4D];
    s->vibSweep = h[0x4E];
    s->vibType = h[0x4F] & 3;
    s->panning = 128;
    s->type = dsm_sampleType(flags & ITS_16BIT, flags & ITS_STEREO);
}

// The sample's frames as the mixer plays them (unsigned 8-bit bytes or
// signed 16-bit values; a stereo frame's left value, then its right).
// Returns the frames the file holds, counting a sample cut short as missing
// data.
uint32_t readSampleData(const itReader_T& r, const uint8_t* h, uint32_t frames, std::vector<uint8_t>* out)
{
    uint8_t flags = h[0x12], cvt = h[0x2E];
    bool is16 = flags & ITS_16BIT, stereo = flags & ITS_STEREO;
    uint32_t offset = mp_le32(h + 0x48);
    if (frames == 0)
        return 0;
    if (offset >= r.size) {
        r.missing->shortSamples++;
        return 0;
    }
    const uint8_t* src = r.f + offset;
    size_t avail = r.size - offset;
    int bytes = is16 ? 2 : 1;
    int sides = stereo ? 2 : 1;
    // Where each side's values start: stored data keeps the left channel
    // whole, then the right; compressed data is decoded into a buffer of
    // no more frames than the file can describe (every frame takes at
    // least a bit), whatever length the header claims.
    const uint8_t* side[2] = {src, src + (size_t)frames * bytes};
    const uint32_t stated = frames;
    std::vector<uint8_t> raw;
    uint32_t got = 0;
    if (flags & ITS_COMPRESSED) {
        frames = (uint32_t)std::min<uint64_t>({frames, (uint64_t)avail * 8, *r.framesLeft});
        raw.resize((size_t)frames * bytes * sides);
        size_t used = 0;
        got = itsmp_decompress(src, avail, raw.data(), frames, is16, cvt & ITC_DELTA215, &used);
        if (stereo && got == frames) {
            size_t usedRight = 0;
            got = itsmp_decompress(src + used, avail - used, raw.data() + (size_t)frames * bytes, frames, is16,
                                   cvt & ITC_DELTA215, &usedRight);
        }
        side[0] = raw.data();
        side[1] = raw.data() + (size_t)frames * bytes;
    } else {
        size_t sideBytes = (size_t)frames * bytes;
        got = (uint32_t)std::min<uint64_t>({frames, avail / bytes, *r.framesLeft});
        if (stereo)
            got = (uint32_t)std::min<size_t>(got, avail > sideBytes ? (avail - sideBytes) / bytes : 0);
    }
    if (got < stated)
        r.missing->shortSamples++;
    *r.framesLeft -= got;
    out->assign((size_t)got * bytes * sides, 0);
    bool isSigned = cvt & ITC_SIGNED;
    for (uint32_t i = 0; i < got; i++) {
        for (int k = 0; k < sides; k++) {
            const uint8_t* p = side[k] + (size_t)i * bytes;
            int32_t x = is16 ? (int32_t)mp_le16(p) : p[0];
            x = isSigned ? (is16 ? (int16_t)x : (int8_t)x) : x - (is16 ? 32768 : 128);
            size_t at = (size_t)i * sides + k;
            if (is16) {
                int16_t s16 = (int16_t)x;
                std::memcpy(out->data() + 2 * at, &s16, 2);
            } else {
                (*out)[at] = (uint8_t)(x + 128);
            }
        }
    }
    return got;
}

// A sustain loop is the first the mixer plays; released, it moves on to the
// normal loop (or to the end). Without one the upload is the other formats',
// but for Impulse Tracker's back-and-forth turn, which plays the loop's last
// frame twice.
int uploadSample(mpSample_T* s, const uint8_t* data)
{
    auto lt = [](int type) {
        return type == MP_LOOP_PINGPONG ? DSM_LT_BIDI_REPEAT : type == MP_LOOP_FORWARD ? DSM_LT_FORWARD : DSM_LT_NONE;
    };
    if (s->sustainType == MP_LOOP_NONE && s->loopType != MP_LOOP_PINGPONG)
        return mp_uploadSample(s, data);
    dsmSampleDesc_T d = {};
    d.data = data;
    d.type = s->type;
    d.length = s->length;
    if (s->sustainType == MP_LOOP_NONE) {
        d.loopMode = DSM_LOOP_SINGLE;
        d.loop1Start = s->loopStart;
        d.loop1End = s->loopEnd;
        d.loop1Type = DSM_LT_BIDI_REPEAT;
        return dsm_addSample(&d, 1, &s->handle);
    }
    d.loopMode = DSM_LOOP_RELEASE;
    d.loop1Start = s->sustainStart;
    d.loop1End = s->sustainEnd;
    d.loop1Type = lt(s->sustainType);
    d.loop2Start = s->loopStart;
    d.loop2End = s->loopEnd;
    d.loop2Type = lt(s->loopType);
    return dsm_addSample(&d, 1, &s->handle);
}

int readSamples(const itReader_T& r, const uint32_t* offsets, uint32_t count, int loadSamples, mpModule_T* m)
{
    m->sampleRecords.assign(count, mpSample_T{});
    for (uint32_t k = 0; k < count; k++) {
        mpSample_T& s = m->sampleRecords[k];
        s.c4Speed = 8363;
        s.defaultPan = -1;
        s.type = DSM_SMP_NONE;
        s.loopType = s.sustainType = MP_LOOP_NONE;
        const uint8_t* h = recordAt(r, offsets[k], IT_SAMPLE_HEADER);
        r.missing->sampleHeaders += offsets[k] && !h;
        if (!h || std::memcmp(h, "IMPS", 4) != 0 || !(h[0x12] & ITS_PRESENT))
            continue;
        readSampleHeader(h, &s);
        uint32_t frames = std::min<uint32_t>(mp_le32(h + 0x30), 1u << 26);
        std::vector<uint8_t> data;
        frames = readSampleData(r, h, frames, &data);
        int shift = dsm_frameShift(s.type);
        fitLoop(frames, shift, &s.loopStart, &s.loopEnd, &s.loopType);
        fitLoop(frames, shift, &s.sustainStart, &s.sustainEnd, &s.sustainType);
        s.loopFlag = s.loopType != MP_LOOP_NONE;
        s.length = frames << shift;
        if (frames == 0) {
            s.type = DSM_SMP_NONE;
            continue;
        }
        if (loadSamples) {
            int code = uploadSample(&s, data.data());
            if (code != MPERR_OK)
                return code;
        }
    }
    return MPERR_OK;
}

int readInstruments(const itReader_T& r, const uint32_t* offsets, uint32_t count, bool newLayout, mpModule_T* m)
{
    int numSamples = (int)m->sampleRecords.size();
    m->instruments.assign(count, mpInstrument_T{});
    for (uint32_t i = 0; i < count; i++) {
        mpInstrument_T& inst = m->instruments[i];
        defaultInstrument(&inst);
        const uint8_t* h = recordAt(r, offsets[i], IT_INSTRUMENT);
        r.missing->instruments += offsets[i] && !h;
        if (!h || std::memcmp(h, "IMPI", 4) != 0)
            continue;
        if (newLayout)
            readNewInstrument(h, numSamples, &inst);
        else
            readOldInstrument(h, numSamples, &inst);
    }
    return MPERR_OK;
}

// Every instrument picks from the whole module's samples.
void linkSamples(mpModule_T* m)
{
    m->numSamples = (uint32_t)m->sampleRecords.size();
    m->numInsts = (uint32_t)m->instruments.size();
    m->samples.assign(m->numInsts, nullptr);
    for (uint32_t i = 0; i < m->numInsts; i++) {
        mpInstrument_T& inst = m->instruments[i];
        inst.numSamples = (int32_t)m->numSamples;
        inst.used = m->numSamples > 0;
        inst.sample = m->numSamples ? m->sampleRecords.data() : nullptr;
        int k = inst.sample ? (int)inst.noteSample[60] : (int)MP_NONE;
        m->samples[i] = k != MP_NONE ? &m->sampleRecords[k] : nullptr;
    }
}

// The file's `count` patterns; m->numPatterns (at least count) says how many
// the orders need, the rest play empty.
void readPatterns(const itReader_T& r, const uint32_t* offsets, uint32_t count, itChannels_T* ch, mpModule_T* m)
{
    m->patterns.assign(m->numPatterns, emptyPattern());
    for (uint32_t i = 0; i < count; i++) {
        const uint8_t* h = recordAt(r, offsets[i], IT_PATTERN_HEADER);
        if (!h) {
            r.missing->patterns += offsets[i] != 0;
            continue;
        }
        uint32_t bytes = mp_le16(h), rows = mp_le16(h + 2);
        if (rows == 0 || rows > IT_MAX_ROWS)
            continue;
        size_t data = offsets[i] + (size_t)IT_PATTERN_HEADER;
        r.missing->patterns += bytes > r.size - data;
        bytes = (uint32_t)std::min<size_t>(bytes, r.size - data);
        m->patterns[i] = unpackPattern(r.f + data, bytes, rows, ch);
    }
}

void readChannels(const uint8_t* f, itChannels_T* ch, mpModule_T* m)
{
    for (int c = 0; c < IT_MAX_CHANNELS; c++)
        ch->enabled[c] = f[0x40 + c] < IT_PAN_DISABLED;
    ch->highest = -1;
    for (int c = 0; c < MP_MAX_CHANNELS; c++) {
        uint8_t pan = f[0x40 + c] & 127;
        // The common form's panning runs -64..64 from 64 (GMP 164 is surround).
        m->panning[c] = pan == IT_PAN_SURROUND ? 164 : std::min<int>(pan, 64) * 2;
        // A disabled channel is muted, but its commands still steer the
        // song (speed, jumps, global volume): its cells stay, its volume is 0.
        m->channelVolume[c] = ch->enabled[c] ? std::min<int>(f[0x80 + c], 64) : 0;
    }
}

} // namespace

int mp_loadIt(const char* fileName, int loadSamples, void*, mpModule_T** out)
{
    *out = nullptr;
    std::vector<uint8_t> file;
    int code = mp_readWholeFile(fileName, IT_HEADER, &file);
    if (code != MPERR_OK)
        return code;
    mpMissing_T missing = {};
    uint64_t framesLeft = (uint64_t)file.size() * 8;
    itReader_T r = {file.data(), file.size(), &missing, &framesLeft};
    const uint8_t* f = r.f;
    if (std::memcmp(f, "IMPM", 4) != 0)
        return mp_refuse(MPERR_INVALID_MODULE, "IT: no IMPM signature");
    uint32_t numOrders = mp_le16(f + 0x20), numInsts = mp_le16(f + 0x22), numSamples = mp_le16(f + 0x24);
    uint32_t numPatterns = mp_le16(f + 0x26), compatible = mp_le16(f + 0x2A), flags = mp_le16(f + 0x2C);
    if (numOrders > 256 || numInsts > 255 || numSamples > 255 || numPatterns > 256)
        return mp_refuse(MPERR_INVALID_MODULE,
                         "IT: %u orders, %u instruments, %u samples, %u patterns (at most 256, 255, 255, 256)",
                         numOrders, numInsts, numSamples, numPatterns);
    size_t tables = IT_HEADER + numOrders + 4 * ((size_t)numInsts + numSamples + numPatterns);
    if (tables > r.size)
        return mp_refuse(MPERR_END_OF_FILE, "IT: the file (%zu bytes) ends inside its order list and offset tables (%zu bytes)",
                         r.size, tables);
    std::vector<uint32_t> insOff(numInsts), smpOff(numSamples), patOff(numPatterns);
    const uint8_t* t = f + IT_HEADER + numOrders;
    for (auto* list : {&insOff, &smpOff, &patOff})
        for (uint32_t& o : *list) {
            o = mp_le32(t);
            t += 4;
        }

    std::unique_ptr<mpModule_T> m(new mpModule_T());
    std::memcpy(m->name, f + 4, 26);
    m->formatId = MP_FORMAT_IT;
    m->flowRules = MP_FLOW_IT;
    m->tracker = mp_trackerOfHeader(f, r.size);
    m->flags |= MP_FLAG_BALANCED_PAN;
    uint32_t highest = 0;
    if (!mp_readOrderList(f + IT_HEADER, numOrders, &m->orders, &highest))
        return mp_refuse(MPERR_INVALID_MODULE, "IT: the order list names no pattern to play");
    m->songLength = (uint32_t)m->orders.size();
    // An order may name a pattern the file lacks: it plays empty.
    m->numPatterns = std::max(numPatterns, highest + 1);
    m->masterVolume = (uint8_t)std::min<int>(f[0x30], 128);
    m->speed = (uint8_t)(f[0x32] ? f[0x32] : 6);
    m->tempo = (uint8_t)(f[0x33] >= 32 ? f[0x33] : 125);
    m->panSeparation = f[0x34] <= 128 ? f[0x34] : 128;
    if (!(flags & IT_F_STEREO))
        m->panSeparation = 0;
    m->flags |= (flags & IT_F_LINEAR ? MP_FLAG_LINEAR : 0) | (flags & IT_F_OLD_EFFECTS ? MP_FLAG_OLD_EFFECTS : 0) |
                (flags & IT_F_COMPAT_G ? MP_FLAG_COMPAT_G : 0);
    itChannels_T channels = {};
    readChannels(f, &channels, m.get());
    readPatterns(r, patOff.data(), numPatterns, &channels, m.get());
    if (channels.dropped)
        mp_warn(m.get(), "notes past channel %d are dropped", MP_MAX_CHANNELS);
    m->numChannels = (uint8_t)std::max(channels.highest + 1, 1);
    m->backgroundVoices = MP_BACKGROUND_VOICES;

    code = readSamples(r, smpOff.data(), numSamples, loadSamples, m.get());
    if (code == MPERR_OK && (flags & IT_F_INSTRUMENTS)) {
        m->flags |= MP_FLAG_INSTRUMENTS;
        code = readInstruments(r, insOff.data(), numInsts, compatible >= IT_NEW_LAYOUT, m.get());
    } else if (code == MPERR_OK) {
        m->instruments.assign(numSamples, mpInstrument_T{});
        for (uint32_t k = 0; k < numSamples; k++)
            sampleInstrument((int)k, &m->instruments[k]);
    }
    if (code != MPERR_OK) {
        mp_freeModule(m.release());
        return code;
    }
    linkSamples(m.get());
    mp_warnMissing(missing, r.size, m.get());
    *out = m.release();
    return MPERR_OK;
}
