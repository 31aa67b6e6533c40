// The XM reader on files the tests' writer builds: the header, patterns
// packed and plain, instruments and their envelopes, 8- and 16-bit
// delta-coded samples, loops, sizes larger than the fields we know, and
// damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music_fixture.h"
#include "xm_writer.h"

namespace {

struct Loaded {
    mpModule_T* m = nullptr;
    int32_t code = 0;
    explicit Loaded(const std::vector<uint8_t>& bytes)
    {
        EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
        m = fx_load(bytes, &code);
    }
    ~Loaded()
    {
        mp_freeModule(m);
        dsm_close();
    }
};

xmSong_T oneNoteSong()
{
    xmSong_T song;
    song.instruments.push_back(xm_squareInstrument());
    song.patterns[0].cells = {{{49, 1, 0x30, 0xA, 0x02}}};
    return song;
}

TEST(XmLoader, HeaderIntoTheCommonForm)
{
    xmSong_T song = oneNoteSong();
    song.channels = 6;
    song.speed = 4;
    song.bpm = 140;
    song.orders = {0, 1, 0};
    song.restart = 2;
    song.patterns.resize(2);
    song.patterns[1].rows = 32;
    Loaded l(xm_write(song));
    ASSERT_NE(l.m, nullptr) << l.code;
    EXPECT_EQ(l.m->formatId, (uint32_t)MP_FORMAT_XM);
    EXPECT_STREQ(l.m->name, "test");
    EXPECT_EQ(l.m->numChannels, 6);
    EXPECT_EQ(l.m->speed, 4);
    EXPECT_EQ(l.m->tempo, 140);
    EXPECT_EQ(l.m->songLength, 3u);
    EXPECT_EQ(l.m->restartPos, 2u);
    EXPECT_EQ(l.m->orders, (std::vector<uint16_t>{0, 1, 0}));
    EXPECT_TRUE(l.m->flags & MP_FLAG_LINEAR);
    ASSERT_EQ(l.m->patterns.size(), 2u);
    uint32_t rows = 0;
    std::memcpy(&rows, l.m->patterns[1].data() + 4, 4);
    EXPECT_EQ(rows, 32u);       // an empty pattern keeps the rows it states
    // Row 0 of pattern 0: channel 0 with note C-4, instrument 0, volume 0x20,
    // command A (10 + 1) with its parameter.
    const std::vector<uint8_t> row0 = {MP_ENT_NOTE | MP_ENT_VOLUME | MP_ENT_COMMAND, 0x40, 0, 0x20, 11, 0x02, 0};
    EXPECT_EQ(std::vector<uint8_t>(l.m->patterns[0].begin() + 8, l.m->patterns[0].begin() + 15), row0);
}

TEST(XmLoader, PackedAndPlainCellsEncodeAlike)
{
    xmSong_T song = oneNoteSong();
    song.patterns[0].cells = {{{97, 0, 0xC4, 0, 0}, {1, 1, 0x10, 0x21, 0x12}}, {}, {{0, 0, 0x65, 0, 0}}};
    Loaded packed(xm_write(song));
    song.patterns[0].plain = true;
    Loaded plain(xm_write(song));
    ASSERT_NE(packed.m, nullptr);
    ASSERT_NE(plain.m, nullptr);
    EXPECT_EQ(packed.m->patterns[0], plain.m->patterns[0]);
    // Key off, a panning volume byte, C-0 with volume 0 and command X1 2.
    const std::vector<uint8_t> row0 = {MP_ENT_NOTE | MP_ENT_VOLUME, MP_NOTE_OFF, MP_NONE, 0xC4,
                                       1 | MP_ENT_NOTE | MP_ENT_VOLUME | MP_ENT_COMMAND, 0x00, 0, 0, 34, 0x12, 0};
    EXPECT_EQ(std::vector<uint8_t>(plain.m->patterns[0].begin() + 8, plain.m->patterns[0].begin() + 19), row0);
}

TEST(XmLoader, DeltaCodedSamplesAndLoops)
{
    xmSong_T song = oneNoteSong();
    xmInstrumentW_T in;
    xmSampleW_T s8, s16;
    s8.data = {0, 100, -100, 127, -128, 5};
    s8.loop = 1;
    s8.loopStart = 1;
    s8.loopLength = 4;
    s16.is16 = true;
    s16.data = {0, 1000, -1000, 32767, -32768, 7, -7, 12345};
    s16.loop = 2;
    s16.loopStart = 2;
    s16.loopLength = 5;
    s16.finetune = -16;
    s16.relativeNote = -12;
    s16.panning = 200;
    in.samples = {s8, s16};
    in.noteSample[10] = 1;
    song.instruments = {in};
    Loaded l(xm_write(song));
    ASSERT_NE(l.m, nullptr) << l.code;
    const mpInstrument_T& inst = l.m->instruments[0];
    ASSERT_EQ(inst.numSamples, 2);
    EXPECT_EQ(inst.noteSample[0], 0);
    EXPECT_EQ(inst.noteSample[10], 1);
    const mpSample_T& a = inst.sample[0];
    const mpSample_T& b = inst.sample[1];
    EXPECT_EQ(a.loopType, MP_LOOP_FORWARD);
    EXPECT_EQ(b.loopType, MP_LOOP_PINGPONG);
    EXPECT_EQ(b.type, DSM_SMP_16BIT);
    EXPECT_EQ(b.length, 16u);
    EXPECT_EQ(b.loopStart, 4u);
    EXPECT_EQ(b.loopEnd, 14u);
    EXPECT_EQ(b.finetune, -16);
    EXPECT_EQ(b.relativeNote, -12);
    EXPECT_EQ(b.panning, 200);
    const dsmSample_T& da = dsmSamples[a.handle - 1];
    for (size_t i = 0; i < s8.data.size(); i++)
        EXPECT_EQ(da.data[i], (uint8_t)(s8.data[i] + 128)) << i;
    EXPECT_EQ(da.loop1Type, DSM_LT_FORWARD);
    const dsmSample_T& db = dsmSamples[b.handle - 1];
    ASSERT_EQ(db.length, 8u);
    for (size_t i = 0; i < s16.data.size(); i++) {
        int16_t v;
        std::memcpy(&v, db.data + 2 * i, 2);
        EXPECT_EQ(v, s16.data[i]) << i;
    }
    EXPECT_EQ(db.loop1Type, DSM_LT_BIDI);
    EXPECT_EQ(db.loop1Start, 2u);
    EXPECT_EQ(db.loop1End, 7u);
}

// A stereo sample (the flag modern editors write): the stated bytes hold the
// left values then the right, each delta-coded from 0; the mixer gets
// frames of a left and a right value, the loop in frames of both. A file
// cut inside the right half keeps the frames whose both values are there.
TEST(XmLoader, StereoSamplesKeepBothSides)
{
    struct Case {
        bool is16;
        size_t cut;                 // bytes cut off the file's end
        uint32_t frames;
    };
    for (const Case& c : {Case{false, 0, 4}, Case{true, 0, 4}, Case{false, 1, 3}, Case{true, 3, 2}}) {
        xmSong_T song = oneNoteSong();
        xmSampleW_T& s = song.instruments[0].samples[0];
        int unit = c.is16 ? 1000 : 10;
        s.data.clear();
        for (int v : {1, 2, 3, 4, -1, -2, -3, -4})
            s.data.push_back((int16_t)(v * unit));
        s.is16 = c.is16;
        s.stereo = true;
        s.loop = 1;
        s.loopStart = 1;
        s.loopLength = 2;
        std::vector<uint8_t> bytes = xm_write(song);
        bytes.resize(bytes.size() - c.cut);
        Loaded l(bytes);
        ASSERT_NE(l.m, nullptr) << l.code;
        const mpSample_T& ms = l.m->instruments[0].sample[0];
        EXPECT_EQ(ms.type, c.is16 ? DSM_SMP_16BIT_STEREO : DSM_SMP_8BIT_STEREO);
        const dsmSample_T& d = dsmSamples[ms.handle - 1];
        ASSERT_EQ(d.length, c.frames) << "cut " << c.cut;
        for (uint32_t i = 0; i < c.frames; i++)
            for (int side = 0; side < 2; side++) {
                size_t at = 2 * i + side;
                int v = c.is16 ? ((const int16_t*)d.data)[at] : d.data[at] - 128;
                EXPECT_EQ(v, (side ? -1 : 1) * (int)(i + 1) * unit) << "frame " << i << " side " << side;
            }
        EXPECT_EQ(d.loop1Start, 1u);
        EXPECT_EQ(d.loop1End, std::min(3u, c.frames));     // kept inside what is there
    }
}

TEST(XmLoader, SizesLargerThanTheKnownFieldsAreSkipped)
{
    xmSong_T song = oneNoteSong();
    song.instruments.push_back(xm_squareInstrument(32));
    Loaded plain(xm_write(song));
    song.extraHeader = 40;
    song.instruments[0].extraHeader = 17;
    Loaded padded(xm_write(song));
    ASSERT_NE(plain.m, nullptr);
    ASSERT_NE(padded.m, nullptr) << padded.code;
    EXPECT_EQ(padded.m->patterns, plain.m->patterns);
    ASSERT_EQ(padded.m->sampleRecords.size(), 2u);
    EXPECT_EQ(padded.m->sampleRecords[1].length, 32u);
    const dsmSample_T& s = dsmSamples[padded.m->sampleRecords[0].handle - 1];
    EXPECT_EQ(s.data[0], 228);      // the square's first value, 100
}

TEST(XmLoader, InstrumentWithoutSamples)
{
    xmSong_T song = oneNoteSong();
    song.instruments.insert(song.instruments.begin(), xmInstrumentW_T());
    Loaded l(xm_write(song));
    ASSERT_NE(l.m, nullptr) << l.code;
    ASSERT_EQ(l.m->instruments.size(), 2u);
    EXPECT_EQ(l.m->instruments[0].numSamples, 0);
    EXPECT_EQ(l.m->instruments[0].sample, nullptr);
    EXPECT_EQ(l.m->instruments[1].numSamples, 1);
    EXPECT_EQ(l.m->instruments[1].sample->length, 64u);
}

TEST(XmLoader, EnvelopesAreKeptInOrderAndInRange)
{
    xmSong_T song = oneNoteSong();
    xmInstrumentW_T& in = song.instruments[0];
    in.volume.points = {{0, 64}, {4, 80}, {8, 16}, {6, 0}, {9, 0}};
    in.volume.type = 7;
    in.volume.sustain = 1;
    in.volume.loopStart = 0;
    in.volume.loopEnd = 3;          // names a point that is cut off
    in.noteSample[5] = 3;           // a sample the instrument lacks
    std::vector<uint8_t> bytes = xm_write(song);
    Loaded l(bytes);
    ASSERT_NE(l.m, nullptr) << l.code;
    const mpEnvelope_T& e = l.m->instruments[0].volumeEnvelope;
    ASSERT_EQ(e.numPoints, 3);      // the fourth point goes back in time
    EXPECT_EQ(e.value[1], 64);      // 80 is more than the envelope holds
    EXPECT_EQ(e.flags, MP_ENV_ON | MP_ENV_SUSTAIN);
    EXPECT_EQ(e.sustainStart, 1);
    EXPECT_EQ(l.m->instruments[0].noteSample[5], MP_NONE);

    // More than 12 points: the count is cut to the 12 the record holds.
    size_t inst = bytes.size() - 64 - 40 - 243;
    bytes[inst + 225] = 200;
    Loaded many(bytes);
    ASSERT_NE(many.m, nullptr) << many.code;
    EXPECT_LE(many.m->instruments[0].volumeEnvelope.numPoints, 12);
}

// Damaged files: a clear code, or a module with what could be read.
TEST(XmLoader, DamagedFiles)
{
    const std::vector<uint8_t> good = xm_write(oneNoteSong());
    const size_t pattern = 60 + 276;
    const size_t instrument = pattern + 9 + (good[pattern + 7] | good[pattern + 8] << 8);
    struct Case {
        const char* what;
        size_t at;
        std::vector<uint8_t> bytes;     // written at `at`
        size_t keep;                    // bytes of the file kept (0: all)
        int32_t code;                   // 0: loads
    } cases[] = {
        {"33 channels", 68, {33, 0}, 0, MPERR_INVALID_MODULE},
        {"no orders", 64, {0, 0}, 0, MPERR_INVALID_MODULE},
        {"header size past the end", 60, {0xFF, 0xFF, 0xFF, 0x7F}, 0, MPERR_END_OF_FILE},
        {"header size too small for the orders", 60, {4, 0, 0, 0}, 0, MPERR_INVALID_MODULE},
        {"packed size past the end", pattern + 7, {0xFF, 0xFF}, 0, 0},
        {"cut inside the header", 0, {}, 70, MPERR_END_OF_FILE},
        {"cut inside the order table", 64, {200, 0}, 200, MPERR_END_OF_FILE},
        {"cut inside a pattern", 0, {}, pattern + 12, 0},
        {"cut inside the instruments", 0, {}, instrument + 100, 0},
        {"cut inside the sample data", 0, {}, good.size() - 10, 0},
        {"sample length past the end", instrument + 243, {0xFF, 0xFF, 0xFF, 0x00}, 0, 0},
        {"instrument size smaller than its fields", instrument, {10, 0, 0, 0}, 0, 0},
        {"instrument size past the end", instrument, {0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
        {"sample header size past the end", instrument + 29, {0xFF, 0xFF, 0xFF, 0x7F}, 0, 0},
        {"17 samples in an instrument", instrument + 27, {17, 0}, 0, MPERR_INVALID_INSTRUMENT},
        {"too many instruments", 72, {200, 0}, 0, MPERR_INVALID_MODULE},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + (long)c.at);
        if (c.keep)
            bytes.resize(c.keep);
        Loaded l(bytes);
        EXPECT_EQ(l.code, c.code) << c.what;
        EXPECT_EQ(l.m != nullptr, c.code == 0) << c.what;
        if (l.m) {
            for (const mpSample_T& s : l.m->sampleRecords)
                EXPECT_LE(s.loopEnd, s.length) << c.what;
        }
    }
}

} // namespace

namespace {

// What a loaded module plays: its encoded patterns and, per sample, the
// record's sizes with the data the mixer holds.
struct Played {
    int32_t code = 0;
    std::vector<std::vector<uint8_t>> patterns;
    std::vector<std::vector<uint32_t>> samples;
    std::vector<std::vector<uint8_t>> data;
    std::vector<std::string> warnings;
};

Played play(const std::vector<uint8_t>& bytes)
{
    Played p;
    Loaded l(bytes);
    p.code = l.code;
    if (!l.m)
        return p;
    p.patterns = l.m->patterns;
    for (const mpSample_T& s : l.m->sampleRecords) {
        p.samples.push_back({s.length, s.loopStart, s.loopEnd, (uint32_t)s.type, (uint32_t)s.loopType});
        const dsmSample_T* d = s.handle ? &dsmSamples[s.handle - 1] : nullptr;
        p.data.push_back(d ? std::vector<uint8_t>(d->data, d->data + s.length) : std::vector<uint8_t>());
    }
    p.warnings = l.m->warnings;
    return p;
}

// A song of two instruments (8- and 16-bit samples) and two patterns of
// their own lengths, the same in every layout.
xmSong_T twoInstrumentSong(uint16_t version)
{
    xmSong_T song;
    song.version = version;
    song.instruments = {xm_squareInstrument(64), xm_squareInstrument(32)};
    xmSampleW_T& wide = song.instruments[1].samples[0];
    wide.is16 = true;
    for (int16_t& v : wide.data)
        v = (int16_t)(v * 200);
    song.orders = {0, 1};
    song.patterns.resize(2);
    song.patterns[0].rows = 32;
    song.patterns[0].cells = {{{49, 1, 0x30, 0xA, 0x02}, {61, 2, 0, 0, 0}}};
    song.patterns[1].rows = 17;
    song.patterns[1].cells.resize(17, {{}, {}});
    song.patterns[1].cells[16] = {{50, 2, 0, 0xF, 3}, {97, 0, 0, 0, 0}};
    return song;
}

// FastTracker 2's early layouts (1.02: the row count in a byte; 1.02 and
// 1.03: instruments before the patterns, sample data after them) load as
// the same song in its current layout.
TEST(XmLoader, EarlyLayoutsLoadAsTheCurrentOne)
{
    Played current = play(xm_write(twoInstrumentSong(0x0104)));
    ASSERT_EQ(current.code, 0);
    ASSERT_EQ(current.samples.size(), 2u);
    EXPECT_EQ(mp_patternRows(current.patterns[1]), 17u);
    for (uint16_t version : {0x0102, 0x0103}) {
        SCOPED_TRACE(version);
        Played early = play(xm_write(twoInstrumentSong(version)));
        ASSERT_EQ(early.code, 0);
        EXPECT_EQ(early.patterns, current.patterns);
        EXPECT_EQ(early.samples, current.samples);
        EXPECT_EQ(early.data, current.data);
        EXPECT_TRUE(early.warnings.empty());
    }
}

// Files cut short load what is there and say what they lack; a song
// without instruments is whole.
TEST(XmLoader, DamagedFilesSayWhatIsMissing)
{
    struct Case {
        const char* what;
        uint16_t version;
        long cut;                   // bytes cut off the end
        const char* warning;        // null: none
    };
    const size_t sampleBytes = 64 + 2 * 32;
    const Case cases[] = {
        {"whole", 0x0104, 0, nullptr},
        {"cut inside the last sample", 0x0104, 10, "1 sample(s) hold less data"},
        {"cut inside the first instrument's data", 0x0104, (long)(2 * 32 + 40 + 243 + 20), "1 instrument(s) lie past"},
        {"early layout cut in its sample data", 0x0102, (long)sampleBytes - 5, "2 sample(s) hold less data"},
        {"early layout cut inside a pattern", 0x0103, (long)sampleBytes + 3, "1 pattern(s) lie wholly or partly"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = xm_write(twoInstrumentSong(c.version));
        bytes.resize(bytes.size() - (size_t)c.cut);
        Played p = play(bytes);
        ASSERT_EQ(p.code, 0);
        if (!c.warning) {
            EXPECT_TRUE(p.warnings.empty());
            continue;
        }
        ASSERT_FALSE(p.warnings.empty());
        EXPECT_NE(p.warnings[0].find(c.warning), std::string::npos) << p.warnings[0];
    }
    xmSong_T bare;
    bare.patterns[0].cells = {{{49, 1, 0, 0, 0}}};
    Played noInstruments = play(xm_write(bare));
    EXPECT_EQ(noInstruments.code, 0);
    EXPECT_TRUE(noInstruments.warnings.empty());
}

// Every refusal names what is wrong.
TEST(XmLoader, RefusalsSayWhy)
{
    struct Case {
        const char* what;
        size_t at;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"33 channels", 68, {33, 0}, "33 channels"},
        {"no orders", 64, {0, 0}, "no orders"},
        {"a header too small for its orders", 60, {4, 0, 0, 0}, "no orders"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = xm_write(oneNoteSong());
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + (long)c.at);
        Played p = play(bytes);
        EXPECT_NE(p.code, 0);
        EXPECT_NE(std::string(mp_loadReason()).find(c.reason), std::string::npos) << mp_loadReason();
    }
}

} // namespace
