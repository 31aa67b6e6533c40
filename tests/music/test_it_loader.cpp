// The IT reader on small files from the tests' writer: both instrument
// layouts, compressed 8- and 16-bit samples, sample mode, the channel
// tables, packed patterns with their previous-value bits, and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "music/formats/it_sample.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music_fixture.h"
#include "it_writer.h"

namespace {

struct Mixer {
    Mixer() { EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0); }
    ~Mixer() { dsm_close(); }
};

struct Loaded {
    mpModule_T* m;
    explicit Loaded(const itSong_T& song, int32_t expect = MPERR_OK)
    {
        int32_t code = 0;
        m = fx_load(it_write(song), &code);
        EXPECT_EQ(m ? MPERR_OK : code, expect);
    }
    ~Loaded() { mp_freeModule(m); }
};

// Noise-like values that need every width from 1 bit up to the full size.
std::vector<int16_t> testValues(bool is16, size_t n)
{
    std::vector<int16_t> v;
    uint32_t seed = 12345;
    int32_t x = 0;
    for (size_t i = 0; i < n; i++) {
        seed = seed * 1103515245u + 12345u;
        int shift = (int)(i / 97 % (is16 ? 16 : 8));
        int32_t step = (int32_t)(seed >> 8) % (1 << shift) - (1 << shift) / 2;
        x = is16 ? (int16_t)(x + step * (i % 5 == 0 ? 7 : 1)) : (int8_t)(x + step);
        v.push_back((int16_t)x);
    }
    return v;
}

std::vector<int16_t> samplesOf(const mpSample_T* s)
{
    const dsmSample_T& d = dsmSamples[s->handle - 1];
    std::vector<int16_t> v;
    uint32_t values = d.length * (dsm_isStereoSample(d.type) ? 2 : 1);
    for (uint32_t i = 0; i < values; i++)
        v.push_back(dsm_is16BitSample(d.type) ? ((const int16_t*)d.data)[i] : (int16_t)(d.data[i] - 128));
    return v;
}

struct CompressCase {
    bool is16, it215;
    size_t frames;          // past one block for the block boundary
};

class ItCompression : public ::testing::TestWithParam<CompressCase> {};

TEST_P(ItCompression, RoundTripsThroughTheDecompressor)
{
    CompressCase c = GetParam();
    std::vector<int16_t> values = testValues(c.is16, c.frames);
    std::vector<uint8_t> packed = it_compress(values, c.is16, c.it215);
    std::vector<int16_t> out(c.frames);
    std::vector<int8_t> out8(c.frames);
    size_t used = 0;
    void* dest = c.is16 ? (void*)out.data() : (void*)out8.data();
    ASSERT_EQ(itsmp_decompress(packed.data(), packed.size(), dest, (uint32_t)c.frames, c.is16, c.it215, &used),
              c.frames);
    EXPECT_EQ(used, packed.size());
    for (size_t i = 0; i < c.frames; i++)
        ASSERT_EQ(c.is16 ? out[i] : out8[i], values[i]) << "frame " << i;
}

TEST_P(ItCompression, RoundTripsThroughTheReader)
{
    CompressCase c = GetParam();
    Mixer mixer;
    itSong_T song;
    itSampleW_T s;
    s.data = testValues(c.is16, c.frames);
    s.is16 = c.is16;
    s.compressed = true;
    s.it215 = c.it215;
    song.samples = {s};
    Loaded l(song);
    ASSERT_TRUE(l.m);
    ASSERT_EQ(l.m->numSamples, 1u);
    EXPECT_EQ(samplesOf(&l.m->sampleRecords[0]), s.data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ItCompression,
                         ::testing::Values(CompressCase{false, false, 3000}, CompressCase{false, true, 3000},
                                           CompressCase{true, false, 3000}, CompressCase{true, true, 3000},
                                           CompressCase{false, true, 0x8000 + 500},
                                           CompressCase{true, false, 0x4000 + 500}));

TEST(ItDecompressor, StopsAtABlockThatClaimsMoreThanItHolds)
{
    std::vector<int16_t> values = testValues(false, 2000);
    std::vector<uint8_t> packed = it_compress(values, false, false);
    packed.resize(packed.size() / 2);       // the block's stated size now runs past the end
    std::vector<int8_t> out(2000, 1);
    size_t used = 0;
    EXPECT_EQ(itsmp_decompress(packed.data(), packed.size(), out.data(), 2000, false, false, &used), 0u);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(out, std::vector<int8_t>(2000, 0));
}

TEST(ItDecompressor, StopsAtAWidthPastTheSampleSize)
{
    // Width 9 changed to 10 by the value 0x109: not a width an 8-bit stream has.
    std::vector<uint8_t> block = {4, 0, 0x09, 0x03, 0xFF, 0xFF};
    std::vector<int8_t> out(16);
    size_t used = 0;
    EXPECT_EQ(itsmp_decompress(block.data(), block.size(), out.data(), 16, false, false, &used), 0u);
}

TEST(ItReader, SamplesPlainSignedUnsignedAndLoops)
{
    Mixer mixer;
    itSong_T song;
    itSampleW_T a = it_squareSample(64);
    a.isSigned = false;
    a.c5Speed = 22050;
    a.globalVolume = 40;
    a.defaultPan = 16;
    itSampleW_T b;
    b.data = {1000, -1000, 30000, -30000};
    b.is16 = true;
    b.sustain = 2;
    b.sustainStart = 1;
    b.sustainEnd = 3;
    itSampleW_T c = it_squareSample(16);
    c.loop = 2;
    c.loopStart = 4;
    c.loopEnd = 12;
    song.samples = {a, b, c};
    Loaded l(song);
    ASSERT_TRUE(l.m);
    // Back-and-forth loops, sustained or not, turn the Impulse Tracker way in the mixer.
    const dsmSample_T& m1 = dsmSamples[l.m->sampleRecords[1].handle - 1];
    EXPECT_EQ(m1.loopMode, DSM_LOOP_RELEASE);
    EXPECT_EQ(m1.loop1Type, DSM_LT_BIDI_REPEAT);
    const dsmSample_T& m2 = dsmSamples[l.m->sampleRecords[2].handle - 1];
    EXPECT_EQ(m2.loop1Type, DSM_LT_BIDI_REPEAT);
    EXPECT_EQ(m2.loop1Start, 4u);
    EXPECT_EQ(m2.loop1End, 12u);
    const mpSample_T& s0 = l.m->sampleRecords[0];
    EXPECT_EQ(samplesOf(&s0), a.data);
    EXPECT_EQ(s0.c4Speed, 22050u);
    EXPECT_EQ(s0.globalVolume, 40);
    EXPECT_EQ(s0.defaultPan, 16);
    EXPECT_EQ(s0.loopType, MP_LOOP_FORWARD);
    EXPECT_EQ(s0.loopEnd, 64u);
    const mpSample_T& s1 = l.m->sampleRecords[1];
    EXPECT_EQ(samplesOf(&s1), b.data);
    EXPECT_EQ(s1.length, 8u);
    EXPECT_EQ(s1.sustainType, MP_LOOP_PINGPONG);
    EXPECT_EQ(s1.sustainStart, 2u);
    EXPECT_EQ(s1.sustainEnd, 6u);
    EXPECT_EQ(s1.loopType, MP_LOOP_NONE);
}

// A stereo sample keeps both sides: the file's left values, then its right
// ones, become frames of a left and a right value; its loop counts frames.
TEST(ItReader, StereoSamplesKeepBothSides)
{
    Mixer mixer;
    for (bool is16 : {false, true}) {
        itSong_T song;
        itSampleW_T a;
        int unit = is16 ? 1000 : 10;
        a.data = {(int16_t)unit, (int16_t)(2 * unit), (int16_t)(3 * unit), (int16_t)-unit, (int16_t)(-2 * unit),
                  (int16_t)(-3 * unit)};
        a.is16 = is16;
        a.loop = 1;
        a.loopStart = 1;
        a.loopEnd = 3;
        song.samples = {a};
        std::vector<uint8_t> bytes = it_write(song);
        size_t h = bytes[0xC0 + 2] | bytes[0xC0 + 3] << 8;
        bytes[h + 0x12] |= 4;       // stereo, 3 frames
        bytes[h + 0x30] = 3;
        int32_t code = 0;
        mpModule_T* m = fx_load(bytes, &code);
        ASSERT_TRUE(m) << code;
        const mpSample_T& s = m->sampleRecords[0];
        EXPECT_EQ(s.type, is16 ? DSM_SMP_16BIT_STEREO : DSM_SMP_8BIT_STEREO);
        EXPECT_EQ(samplesOf(&s), (std::vector<int16_t>{a.data[0], a.data[3], a.data[1], a.data[4], a.data[2], a.data[5]}));
        const dsmSample_T& d = dsmSamples[s.handle - 1];
        EXPECT_EQ(d.length, 3u);
        EXPECT_EQ(d.loop1Start, 1u);
        EXPECT_EQ(d.loop1End, 3u);
        mp_freeModule(m);
    }
}

TEST(ItReader, SampleModeMakesAnInstrumentPerSample)
{
    Mixer mixer;
    itSong_T song;
    song.samples = {it_squareSample(), it_squareSample(32)};
    Loaded l(song);
    ASSERT_TRUE(l.m);
    EXPECT_FALSE(l.m->flags & MP_FLAG_INSTRUMENTS);
    ASSERT_EQ(l.m->instruments.size(), 2u);
    EXPECT_EQ(l.m->instruments[1].noteSample[0], 1);
    EXPECT_EQ(l.m->instruments[1].noteSample[119], 1);
    EXPECT_EQ(l.m->instruments[1].noteMap[50], 50);
    EXPECT_EQ(l.m->instruments[1].nna, MP_NNA_CUT);
}

TEST(ItReader, NewInstrumentLayout)
{
    Mixer mixer;
    itSong_T song;
    song.samples = {it_squareSample(), it_squareSample()};
    itInstrumentW_T in = it_instrument(2);
    in.keyNote[60] = 72;
    in.keySample[61] = 1;
    in.nna = MP_NNA_FADE;
    in.dct = MP_DCT_SAMPLE;
    in.dca = MP_DCA_OFF;
    in.fadeout = 200;
    in.globalVolume = 100;
    in.defaultPan = 10;
    in.cutoff = 90;
    in.resonance = 40;
    in.volume.points = {{64, 0}, {32, 10}, {0, 20}};
    in.volume.flags = 1 | 4;
    in.volume.sustainStart = 0;
    in.volume.sustainEnd = 1;
    in.pitch.points = {{32, 0}, {-32, 8}};
    in.pitch.flags = 1 | 128;
    song.instruments = {in};
    Loaded l(song);
    ASSERT_TRUE(l.m);
    const mpInstrument_T& i = l.m->instruments[0];
    EXPECT_TRUE(l.m->flags & MP_FLAG_INSTRUMENTS);
    EXPECT_EQ(i.noteMap[60], 72);
    EXPECT_EQ(i.noteSample[60], 1);
    EXPECT_EQ(i.noteSample[61], 0);
    EXPECT_EQ(i.nna, MP_NNA_FADE);
    EXPECT_EQ(i.dct, MP_DCT_SAMPLE);
    EXPECT_EQ(i.dca, MP_DCA_OFF);
    EXPECT_EQ(i.fadeout, 200 * 32);
    EXPECT_EQ(i.globalVolume, 100);
    EXPECT_EQ(i.defaultPan, 10);
    EXPECT_EQ(i.filterCutoff, 90);
    EXPECT_EQ(i.filterResonance, 40);
    EXPECT_EQ(i.volumeEnvelope.numPoints, 3);
    EXPECT_EQ(i.volumeEnvelope.flags, MP_ENV_ON | MP_ENV_SUSTAIN);
    EXPECT_EQ(i.volumeEnvelope.sustainEnd, 1);
    EXPECT_EQ(i.volumeEnvelope.value[1], 32);
    EXPECT_EQ(i.pitchEnvelope.flags, MP_ENV_ON | MP_ENV_FILTER);
    EXPECT_EQ(i.pitchEnvelope.value[0], 64);
    EXPECT_EQ(i.pitchEnvelope.value[1], 0);
    EXPECT_EQ(i.pitchEnvelope.tick[1], 8);
}

TEST(ItReader, OldInstrumentLayout)
{
    Mixer mixer;
    itSong_T song;
    song.samples = {it_squareSample()};
    itInstrumentW_T in = it_instrument(1);
    in.oldLayout = true;
    in.nna = MP_NNA_OFF;
    in.dct = 1;
    in.fadeout = 20;
    in.volume.points = {{64, 0}, {20, 5}, {10, 9}};
    in.volume.flags = 1 | 2;
    in.volume.loopStart = 1;
    in.volume.loopEnd = 2;
    song.instruments = {in};
    Loaded l(song);
    ASSERT_TRUE(l.m);
    const mpInstrument_T& i = l.m->instruments[0];
    EXPECT_EQ(i.nna, MP_NNA_OFF);
    EXPECT_EQ(i.dct, MP_DCT_NOTE);
    EXPECT_EQ(i.fadeout, 20 * 64);
    EXPECT_EQ(i.volumeEnvelope.numPoints, 3);
    EXPECT_EQ(i.volumeEnvelope.tick[2], 9);
    EXPECT_EQ(i.volumeEnvelope.value[1], 20);
    EXPECT_EQ(i.volumeEnvelope.flags, MP_ENV_ON | MP_ENV_LOOP);
    EXPECT_EQ(i.volumeEnvelope.loopStart, 1);
    EXPECT_EQ(i.globalVolume, 128);
}

// Reads the encoded pattern back as (row, channel, note, instrument, volume, command, param).
std::vector<std::vector<int>> entries(const std::vector<uint8_t>& pat)
{
    std::vector<std::vector<int>> out;
    size_t p = 8;
    int row = 0;
    while (p < pat.size()) {
        uint8_t f = pat[p++];
        if (f == 0) {
            row++;
            continue;
        }
        std::vector<int> e = {row, f & MP_ENT_CHANNEL, -1, -1, -1, -1, -1};
        if (f & MP_ENT_NOTE)
            e[2] = pat[p], e[3] = pat[p + 1], p += 2;
        if (f & MP_ENT_VOLUME)
            e[4] = pat[p++];
        if (f & MP_ENT_COMMAND)
            e[5] = pat[p], e[6] = pat[p + 1], p += 2;
        out.push_back(e);
    }
    return out;
}

TEST(ItReader, ChannelTablesAndPackedPatterns)
{
    Mixer mixer;
    itSong_T song;
    song.samples = {it_squareSample()};
    song.channelPan[1] = 100;                   // surround
    song.channelPan[2] = 128 | 20;              // disabled: muted, its cells kept
    song.channelVolume[1] = 40;
    itPatternW_T& p = song.patterns[0];
    p.rows = 4;
    p.cells.resize(4, std::vector<itCellW_T>(3));
    p.cells[0][0] = {48, 1, 90, 4, 0x12};       // C-4, volume 90 (a fine slide down, moved up one)
    p.cells[1][0] = {48, 1, 90, 4, 0x12};       // all four from the previous-value bits
    p.cells[2][1] = {255, 0, -1, 0, 0};         // note off
    p.cells[3][2] = {50, 1, 64, 0, 0};          // in the disabled channel
    p.cells[3][1] = {254, 0, -1, 0, 0};         // note cut
    p.cells[3][0] = {200, 0, -1, 0, 0};         // note fade
    Loaded l(song);
    ASSERT_TRUE(l.m);
    EXPECT_EQ(l.m->numChannels, 3);
    EXPECT_EQ(l.m->panning[0], 64);
    EXPECT_EQ(l.m->panning[1], 164);
    EXPECT_EQ(l.m->channelVolume[1], 40);
    EXPECT_EQ(l.m->channelVolume[2], 0);
    std::vector<std::vector<int>> want = {
        {0, 0, 0x40, 0, 91, 4, 0x12}, {1, 0, 0x40, 0, 91, 4, 0x12}, {2, 1, MP_NOTE_OFF, MP_NONE, -1, -1, -1},
        {3, 0, MP_NOTE_FADE, MP_NONE, -1, -1, -1}, {3, 1, MP_NOTE_CUT, MP_NONE, -1, -1, -1},
        {3, 2, 66, 0, 64, -1, -1},
    };
    EXPECT_EQ(entries(l.m->patterns[0]), want);
}

TEST(ItReader, ChannelsPastTheEncodingAreDropped)
{
    Mixer mixer;
    itSong_T song;
    song.samples = {it_squareSample()};
    itPatternW_T& p = song.patterns[0];
    p.cells.resize(1, std::vector<itCellW_T>(40));
    p.cells[0][5] = {60, 1, -1, 0, 0};
    p.cells[0][39] = {60, 1, -1, 0, 0};
    Loaded l(song);
    ASSERT_TRUE(l.m);
    EXPECT_EQ(l.m->numChannels, 6);
    std::vector<std::vector<int>> want = {{0, 5, 0x50, 0, -1, -1, -1}};
    EXPECT_EQ(entries(l.m->patterns[0]), want);
}

TEST(ItReader, DamagedFiles)
{
    Mixer mixer;
    {
        // Sample data past the end of the file: the sample is empty.
        itSong_T song;
        song.samples = {it_squareSample()};
        song.samples[0].offsetOverride = 0x7FFFFFF0;
        Loaded l(song);
        ASSERT_TRUE(l.m);
        EXPECT_EQ(l.m->sampleRecords[0].type, DSM_SMP_NONE);
        EXPECT_EQ(l.m->sampleRecords[0].handle, 0);
    }
    {
        // A compressed block claiming more data than the file holds: nothing decodes.
        itSong_T song;
        itSampleW_T s;
        s.data = testValues(false, 3000);
        s.compressed = true;
        song.samples = {s};
        std::vector<uint8_t> bytes = it_write(song);
        // The first block's size, at the data offset of the one sample header.
        uint32_t header = bytes[0xC0 + 2] | bytes[0xC0 + 3] << 8;
        uint32_t data = bytes[header + 0x48] | bytes[header + 0x49] << 8;
        bytes[data] = bytes[data + 1] = 0xFF;
        int32_t code = 0;
        mpModule_T* m = fx_load(bytes, &code);
        ASSERT_TRUE(m) << code;
        EXPECT_EQ(m->sampleRecords[0].type, DSM_SMP_NONE);
        mp_freeModule(m);
    }
    {
        // An envelope stating more points than it has room for keeps 25.
        itSong_T song;
        song.samples = {it_squareSample()};
        itInstrumentW_T in = it_instrument(1);
        for (int k = 0; k < 25; k++)
            in.volume.points.push_back({(int8_t)(64 - k), (uint16_t)(k * 2)});
        in.volume.flags = 1;
        in.volume.statedPoints = 200;
        song.instruments = {in};
        Loaded l(song);
        ASSERT_TRUE(l.m);
        EXPECT_EQ(l.m->instruments[0].volumeEnvelope.numPoints, 25);
    }
    {
        // Tables of offsets running past the file: too short.
        itSong_T song;
        song.samples = {it_squareSample()};
        std::vector<uint8_t> bytes = it_write(song);
        bytes[0x26] = 200;          // 200 patterns
        bytes.resize(0xC0 + 2 + 4 + 16);
        int32_t code = 0;
        EXPECT_EQ(fx_load(bytes, &code), nullptr);
        EXPECT_EQ(code, MPERR_END_OF_FILE);
    }
    {
        // Only end markers in the order list: nothing to play.
        itSong_T song;
        song.orders = {254, 254};
        int32_t code = 0;
        EXPECT_EQ(fx_load(it_write(song), &code), nullptr);
        EXPECT_EQ(code, MPERR_INVALID_MODULE);
    }
}

} // namespace

namespace {

// A stereo sample cut short inside its right channel keeps the frames both
// channels hold, their values mixed; nothing is read past the file.
TEST(ItReader, StereoSampleCutShort)
{
    Mixer mixer;
    itSong_T song;
    itSampleW_T s;
    s.data = {10, 20, 30, 40};
    song.samples = {s};
    std::vector<uint8_t> bytes = it_write(song);
    uint32_t header = bytes[0xC0 + 2] | bytes[0xC0 + 3] << 8;
    bytes[header + 0x12] |= 4;          // stereo: 4 left frames, then the right ones
    uint32_t data = bytes[header + 0x48] | bytes[header + 0x49] << 8;
    // The patterns come after the data: move them out of the way, then cut
    // the file two bytes into the right channel.
    bytes[0xC0 + 2 + 4] = bytes[0xC0 + 2 + 5] = 0;
    bytes.resize(data + 4 + 2);
    bytes[data + 4] = 50;
    bytes[data + 5] = 60;
    int32_t code = 0;
    mpModule_T* m = fx_load(bytes, &code);
    ASSERT_TRUE(m) << code;
    // Two whole frames, each its left value then its right.
    EXPECT_EQ(m->sampleRecords[0].type, DSM_SMP_8BIT_STEREO);
    EXPECT_EQ(samplesOf(&m->sampleRecords[0]), (std::vector<int16_t>{10, 50, 20, 60}));
    mp_freeModule(m);
}

} // namespace

namespace {

uint32_t offsetAt(const std::vector<uint8_t>& f, size_t at) { return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | (uint32_t)f[at + 3] << 24; }
void setOffset(std::vector<uint8_t>* f, size_t at, uint32_t v)
{
    for (int k = 0; k < 4; k++)
        (*f)[at + k] = (uint8_t)(v >> 8 * k);
}

// A song of one instrument, one sample and one pattern, damaged by `cut`;
// its offset table follows the two-entry order list.
struct CutCase {
    const char* what;
    void (*cut)(std::vector<uint8_t>* f);
    const char* warning;        // a part of the one warning expected; null none
};

const size_t table = 0xC0 + 2;

const CutCase cutCases[] = {
    {"whole file", [](std::vector<uint8_t>*) {}, nullptr},
    {"cut inside the pattern", [](std::vector<uint8_t>* f) { f->resize(offsetAt(*f, table + 8) + 8 + 3); },
     "1 pattern(s) lie wholly or partly past the end of the file"},
    {"pattern past the end", [](std::vector<uint8_t>* f) { setOffset(f, table + 8, (uint32_t)f->size()); },
     "1 pattern(s) lie wholly or partly past the end of the file"},
    {"instrument past the end", [](std::vector<uint8_t>* f) { setOffset(f, table, (uint32_t)f->size() - 10); },
     "1 instrument(s) lie past the end of the file"},
    {"sample header past the end", [](std::vector<uint8_t>* f) { setOffset(f, table + 4, 0x7FFFFFF0); },
     "1 sample header(s) lie past the end of the file"},
    {"sample longer than its data",
     [](std::vector<uint8_t>* f) { setOffset(f, offsetAt(*f, table + 4) + 0x30, 0x3FFFFFF); },
     "1 sample(s) hold less data than their headers state"},
    {"compressed sample claiming 64M frames",
     [](std::vector<uint8_t>* f) {
         size_t h = offsetAt(*f, table + 4);
         (*f)[h + 0x12] |= 8;
         setOffset(f, h + 0x30, 0x3FFFFFF);
     },
     "1 sample(s) hold less data than their headers state"},
};

// A file cut short or pointing past its end loads what is there and says
// what it lacks; a whole one says nothing.
TEST(ItReader, DamagedFilesSayWhatIsMissing)
{
    Mixer mixer;
    for (const CutCase& c : cutCases) {
        SCOPED_TRACE(c.what);
        itSong_T song;
        song.samples = {it_squareSample(4000)};
        song.instruments = {it_instrument(1)};
        song.patterns[0].cells.resize(8, std::vector<itCellW_T>(2, itCellW_T{60, 1, -1, 0, 0}));
        std::vector<uint8_t> f = it_write(song);
        c.cut(&f);
        int32_t code = 0;
        mpModule_T* m = fx_load(f, &code);
        ASSERT_TRUE(m) << code;
        if (c.warning) {
            ASSERT_EQ(m->warnings.size(), 1u);
            EXPECT_NE(m->warnings[0].find(c.warning), std::string::npos) << m->warnings[0];
        } else {
            EXPECT_TRUE(m->warnings.empty());
        }
        // Whatever the header claims, a sample holds no more than the file.
        EXPECT_LE(m->sampleRecords[0].length, f.size());
        mp_freeModule(m);
    }
}

// Every refusal names what is wrong with the file.
TEST(ItReader, RefusalsSayWhy)
{
    struct Case {
        const char* what;
        void (*damage)(std::vector<uint8_t>* f);
        int32_t code;
        const char* reason;
    };
    const Case cases[] = {
        {"shorter than the header", [](std::vector<uint8_t>* f) { f->resize(0x80); }, MPERR_END_OF_FILE,
         "shorter than its format's header"},
        {"tables past the end", [](std::vector<uint8_t>* f) { (*f)[0x26] = 200; f->resize(0xC0 + 40); },
         MPERR_END_OF_FILE, "ends inside its order list and offset tables"},
        {"too many orders", [](std::vector<uint8_t>* f) { (*f)[0x21] = 2; }, MPERR_INVALID_MODULE,
         "orders, 1 instruments"},
        {"nothing to play", [](std::vector<uint8_t>* f) { (*f)[0xC0] = 254; }, MPERR_INVALID_MODULE,
         "names no pattern"},
    };
    Mixer mixer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        itSong_T song;
        song.samples = {it_squareSample()};
        song.instruments = {it_instrument(1)};
        std::vector<uint8_t> f = it_write(song);
        c.damage(&f);
        int32_t code = 0;
        EXPECT_EQ(fx_load(f, &code), nullptr);
        EXPECT_EQ(code, c.code);
        EXPECT_NE(std::string(mp_loadReason()).find(c.reason), std::string::npos) << mp_loadReason();
    }
}

// The title field holds 26 characters, all of them shown.
TEST(ItReader, TitleKeepsItsWholeField)
{
    Mixer mixer;
    itSong_T song;
    song.samples = {it_squareSample()};
    song.title = "The Sorcerer's Apprentice!";
    Loaded l(song);
    ASSERT_TRUE(l.m);
    EXPECT_STREQ(l.m->name, "The Sorcerer's Apprentice!");
}

} // namespace

namespace {

// Sample headers that all point at one compressed sample: together they
// decode to no more frames than the file has bits, however often the data
// is named or however long the headers claim it is.
TEST(ItReader, SharedSampleDataDecodesNoMoreThanTheFileHolds)
{
    Mixer mixer;
    itSong_T song;
    itSampleW_T s;
    s.data = std::vector<int16_t>(20000, 0);       // silence: a bit a frame once packed
    s.is16 = true;
    s.compressed = true;
    for (int k = 0; k < 60; k++)
        song.samples.push_back(k == 0 ? s : it_squareSample(4));
    std::vector<uint8_t> f = it_write(song);
    const size_t table = 0xC0 + 2;
    uint32_t first = offsetAt(f, table);
    uint32_t data = offsetAt(f, first + 0x48);
    for (int k = 0; k < 60; k++) {
        uint32_t h = offsetAt(f, table + 4 * k);
        f[h + 0x12] = f[first + 0x12];              // 16-bit, compressed
        setOffset(&f, h + 0x30, 20000);
        setOffset(&f, h + 0x48, data);
    }
    int32_t code = 0;
    mpModule_T* m = fx_load(f, &code);
    ASSERT_TRUE(m) << code;
    uint64_t frames = 0;
    for (const mpSample_T& r : m->sampleRecords)
        frames += r.length / 2;
    EXPECT_LE(frames, 8 * f.size());
    EXPECT_EQ(m->sampleRecords[0].length, 40000u);  // the first one whole
    EXPECT_FALSE(m->warnings.empty());
    mp_freeModule(m);
}

} // namespace

namespace {

// A pattern keeps the rows it states, past Impulse Tracker's own 200 as
// later editors write them (both outside players play them); a count
// outside 1..1024 leaves the pattern empty at 64 rows.
TEST(ItReader, PatternRowCounts)
{
    Mixer mixer;
    struct Case { int rows; uint32_t loaded; };
    const Case cases[] = {{1, 1}, {200, 200}, {300, 300}, {1024, 1024}, {1025, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        itSong_T song;
        song.samples = {it_squareSample()};
        song.patterns[0].rows = c.rows;
        song.patterns[0].cells.resize(std::min(c.rows, 1024), std::vector<itCellW_T>(1));
        song.patterns[0].cells.back()[0] = {60, 1, -1, 0, 0};
        Loaded l(song);
        ASSERT_TRUE(l.m);
        EXPECT_EQ(mp_patternRows(l.m->patterns[0]), c.loaded);
        EXPECT_EQ(entries(l.m->patterns[0]).size(), c.loaded == (uint32_t)c.rows ? 1u : 0u);
    }
}

} // namespace
