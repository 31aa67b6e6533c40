// The S3M reader on files the test writer builds: header fields, the order
// list's markers, channel settings and panning, sample formats and loops,
// the packed pattern's encoding, AdLib instruments, and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"
#include "music_fixture.h"
#include "s3m_fixture.h"

namespace {

struct ModulePtr {
    mpModule_T* m;
    ~ModulePtr() { mp_freeModule(m); }
};

// The encoded bytes of row `row` of a pattern, up to and without its end byte.
std::vector<uint8_t> rowBytes(const mpModule_T* m, int pattern, int row)
{
    const std::vector<uint8_t>& p = m->patterns[pattern];
    size_t at = 8;
    for (int r = 0; r < row; r++) {
        while (p[at] != 0) {
            uint8_t f = p[at++];
            at += (f & MP_ENT_NOTE ? 2 : 0) + (f & MP_ENT_VOLUME ? 1 : 0) + (f & MP_ENT_COMMAND ? 2 : 0);
        }
        at++;
    }
    size_t end = at;
    while (p[end] != 0) {
        uint8_t f = p[end++];
        end += (f & MP_ENT_NOTE ? 2 : 0) + (f & MP_ENT_VOLUME ? 1 : 0) + (f & MP_ENT_COMMAND ? 2 : 0);
    }
    return std::vector<uint8_t>(p.begin() + at, p.begin() + end);
}

TEST(S3mLoader, HeaderAndOrderMarkers)
{
    s3mSong_T song = s3mFx_toneSong();
    song.title = "header test";
    song.orders = {254, 0, 254, 1, 255, 2};
    song.patterns.resize(3);
    song.globalVolume = 48;
    song.speed = 4;
    song.tempo = 150;
    song.patterns[1].cells[0][0] = {0x40, 1};
    ModulePtr p{fx_load(s3m_write(song))};
    ASSERT_NE(p.m, nullptr);
    EXPECT_EQ(p.m->formatId, 2u);
    EXPECT_STREQ(p.m->name, "header test");
    EXPECT_EQ(p.m->songLength, 4u);             // ends at the 255
    EXPECT_EQ(p.m->orders, (std::vector<uint16_t>{MP_ORDER_SKIP, 0, MP_ORDER_SKIP, 1}));
    EXPECT_EQ(p.m->numPatterns, 3u);
    EXPECT_EQ(p.m->numInsts, 1u);
    EXPECT_EQ(p.m->masterVolume, 48);
    EXPECT_EQ(p.m->speed, 4);
    EXPECT_EQ(p.m->tempo, 150);
    EXPECT_EQ(p.m->flags, 0u);
    EXPECT_STREQ(p.m->instruments[0].longName, "sine");

    // Playing starts past the leading marker and steps over the next one.
    s3mPlayer_T player(song);
    EXPECT_EQ(player.st->position, 1);
    EXPECT_EQ(player.st->pattern, 0);
    player.ticks(4 * 64);
    EXPECT_EQ(player.st->position, 3);
    EXPECT_EQ(player.st->pattern, 1);
    player.ticks(4 * 64);
    EXPECT_EQ(player.st->position, 1);          // wrapped at the end marker
    EXPECT_EQ(player.st->loopCount, 1);
}

TEST(S3mLoader, FlagsAndDefaults)
{
    struct Case { uint16_t flags, version; uint8_t speed, tempo, globalVolume; uint32_t moduleFlags; int speedOut, tempoOut, gv; };
    const Case cases[] = {
        {0, 0x1320, 6, 125, 64, 0, 6, 125, 64},
        {16, 0x1320, 0, 20, 64, MP_FLAG_AMIGA_LIMITS, 6, 125, 64},
        {64, 0x1320, 3, 33, 200, MP_FLAG_FAST_SLIDES, 3, 33, 64},
        {0, 0x1300, 6, 125, 10, MP_FLAG_FAST_SLIDES, 6, 125, 10},
    };
    for (const Case& c : cases) {
        s3mSong_T song = s3mFx_toneSong();
        song.flags = c.flags;
        song.version = c.version;
        song.speed = c.speed;
        song.tempo = c.tempo;
        song.globalVolume = c.globalVolume;
        ModulePtr p{fx_load(s3m_write(song))};
        ASSERT_NE(p.m, nullptr);
        EXPECT_EQ(p.m->flags, c.moduleFlags) << c.flags;
        EXPECT_EQ(p.m->speed, c.speedOut);
        EXPECT_EQ(p.m->tempo, c.tempoOut);
        EXPECT_EQ(p.m->masterVolume, c.gv);
    }
}

TEST(S3mLoader, DisabledChannelsAreDroppedAndTheRestRenumbered)
{
    s3mSong_T song = s3mFx_toneSong();
    const uint8_t settings[5] = {0, 0x81, 8, 16, 0xFF};
    std::memcpy(song.channels, settings, 5);
    song.patterns[0].cells[0][1] = {0x40, 1};       // disabled: dropped
    song.patterns[0].cells[0][2] = {0x41, 1};       // becomes channel 1
    song.patterns[0].cells[1][3] = {0x42, 1, 255, 1, 3};    // AdLib channel: channel 2
    ModulePtr p{fx_load(s3m_write(song))};
    ASSERT_NE(p.m, nullptr);
    EXPECT_EQ(p.m->numChannels, 3);
    EXPECT_EQ(p.m->panning[0], 26);                 // left: 3 of 15
    EXPECT_EQ(p.m->panning[1], 102);                // right: 12 of 15
    EXPECT_EQ(p.m->panning[2], 60);                 // AdLib: centred, 7 of 15
    EXPECT_EQ(rowBytes(p.m, 0, 0), (std::vector<uint8_t>{1 | MP_ENT_NOTE, 0x41, 0}));
    EXPECT_EQ(rowBytes(p.m, 0, 1), (std::vector<uint8_t>{2 | MP_ENT_NOTE | MP_ENT_COMMAND, 0x42, 0, 1, 3}));
}

TEST(S3mLoader, PanTableAndMono)
{
    s3mSong_T song = s3mFx_toneSong();
    song.panTable = true;
    song.pans[0] = 0x20 | 15;
    song.pans[1] = 0x05;        // without bit 5 the default stays
    song.pans[2] = 0x20;
    ModulePtr p{fx_load(s3m_write(song))};
    ASSERT_NE(p.m, nullptr);
    EXPECT_EQ(p.m->numChannels, 4);
    EXPECT_EQ(p.m->panning[0], 128);
    EXPECT_EQ(p.m->panning[1], 102);
    EXPECT_EQ(p.m->panning[2], 0);
    EXPECT_EQ(p.m->panning[3], 26);

    song.masterVolume = 0x30;   // bit 7 clear: mono
    ModulePtr mono{fx_load(s3m_write(song))};
    ASSERT_NE(mono.m, nullptr);
    EXPECT_EQ(mono.m->flags & MP_FLAG_MONO, (uint32_t)MP_FLAG_MONO);
    for (int c = 0; c < 4; c++)
        EXPECT_EQ(mono.m->panning[c], 64);
}

TEST(S3mLoader, PackedPatternEncoding)
{
    s3mSong_T song = s3mFx_toneSong();
    song.patterns[0].cells[0][0] = {0x41, 1, 32, 4, 0x0F};
    song.patterns[0].cells[0][3] = {255, 0, 70};            // volume above 64 is held to 64
    song.patterns[0].cells[2][1] = {254, 0};                // note cut
    song.patterns[0].cells[3][2] = {0x0C, 1, 255, 27, 5};   // semitone 12 and command 27: neither kept
    song.patterns[0].cells[4][0] = {0xA0, 0};               // octave 10: no note
    ModulePtr p{fx_load(s3m_write(song))};
    ASSERT_NE(p.m, nullptr);
    EXPECT_EQ(mp_patternRows(p.m->patterns[0]), 64u);
    EXPECT_EQ(rowBytes(p.m, 0, 0), (std::vector<uint8_t>{0 | MP_ENT_NOTE | MP_ENT_VOLUME | MP_ENT_COMMAND, 0x41, 0, 32, 4,
                                                         0x0F, 3 | MP_ENT_VOLUME, 64}));
    EXPECT_TRUE(rowBytes(p.m, 0, 1).empty());
    EXPECT_EQ(rowBytes(p.m, 0, 2), (std::vector<uint8_t>{1 | MP_ENT_NOTE, MP_NOTE_CUT, MP_NONE}));
    EXPECT_EQ(rowBytes(p.m, 0, 3), (std::vector<uint8_t>{2 | MP_ENT_NOTE, MP_NONE, 0}));
    EXPECT_TRUE(rowBytes(p.m, 0, 4).empty());
    uint32_t size;
    std::memcpy(&size, p.m->patterns[0].data(), 4);
    EXPECT_EQ(size, p.m->patterns[0].size());
}

// Samples in each format the header's flags and the format word allow,
// with what the mixer receives.
TEST(S3mLoader, SampleFormats)
{
    struct Case {
        uint16_t format; uint8_t flags; std::vector<uint8_t> data; int type; std::vector<uint8_t> stored;
    };
    std::vector<uint8_t> words = s3m_words({0x8000, 0xFFFF, 0x0000, 0x1234});
    const Case cases[] = {
        {1, 0, {0x00, 0x7F, 0x80, 0xFF}, DSM_SMP_8BIT, {0x80, 0xFF, 0x00, 0x7F}},          // signed
        {2, 0, {0x00, 0x7F, 0x80, 0xFF}, DSM_SMP_8BIT, {0x00, 0x7F, 0x80, 0xFF}},          // unsigned
        {1, 4, words, DSM_SMP_16BIT, s3m_words({-32768, -1, 0, 0x1234})},
        {2, 4, words, DSM_SMP_16BIT, s3m_words({0, 32767, -32768, 0x1234 - 32768})},
        // Stereo: all left values, then all right ones; stored side by side.
        {2, 2, {10, 20, 30, 40}, DSM_SMP_8BIT_STEREO, {10, 30, 20, 40}},
        {1, 6, words, DSM_SMP_16BIT_STEREO, s3m_words({-32768, 0, -1, 0x1234})},
    };
    for (const Case& c : cases) {
        s3mSong_T song = s3mFx_toneSong();
        song.sampleFormat = c.format;
        song.samples[0].data = c.data;
        song.samples[0].flags = c.flags;
        song.samples[0].c4Speed = 22050;
        song.samples[0].volume = 40;
        song.patterns[0].cells[0][0] = {0x40, 1};
        ModulePtr p{fx_load(s3m_write(song))};
        ASSERT_NE(p.m, nullptr);
        const mpSample_T* s = p.m->samples[0];
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->type, c.type) << "format " << c.format << " flags " << (int)c.flags;
        EXPECT_EQ(s->length, c.stored.size());
        EXPECT_EQ(s->c4Speed, 22050u);
        EXPECT_EQ(s->volume, 40);
        EXPECT_EQ(s->loopFlag, 0);
        ASSERT_NE(s->handle, 0);
        const dsmSample_T& d = dsmSamples[s->handle - 1];
        EXPECT_EQ(d.type, c.type);
        EXPECT_EQ(std::vector<uint8_t>(d.data, d.data + c.stored.size()), c.stored);
    }
}

TEST(S3mLoader, LoopsAndLengthsStayInsideTheData)
{
    struct Case { uint8_t flags; uint32_t frames, loopStart, loopEnd; uint32_t length, start, end; int loop; };
    const Case cases[] = {
        {1, 0, 10, 100, 256, 10, 100, 1},           // a forward loop
        {1, 0, 10, 400, 256, 10, 256, 1},           // loop end past the data: held to it
        {1, 0, 100, 100, 256, 0, 0, 0},             // empty loop: none
        {0, 0, 10, 100, 256, 0, 0, 0},              // loop flag clear
        {5, 0, 10, 100, 256, 20, 200, 1},           // 16-bit: bytes are twice the frames
        {0, 100000, 0, 0, 256, 0, 0, 0},            // length past the file's end
    };
    for (const Case& c : cases) {
        s3mSong_T song = s3mFx_toneSong();
        s3mSample_T& s = song.samples[0];
        s.flags = c.flags;
        s.frames = c.frames;
        s.loopStart = c.loopStart;
        s.loopEnd = c.loopEnd;
        song.patterns[0].cells[0][0] = {0x40, 1};      // 256 bytes: 128 frames when 16-bit
        ModulePtr p{fx_load(s3m_write(song))};
        ASSERT_NE(p.m, nullptr);
        const mpSample_T* r = p.m->samples[0];
        EXPECT_EQ(r->loopFlag, c.loop) << (int)c.flags << " " << c.loopStart << " " << c.loopEnd;
        EXPECT_EQ(r->loopStart, c.start);
        EXPECT_EQ(r->loopEnd, c.end);
        EXPECT_EQ(r->length, c.length);
        EXPECT_EQ(r->loopType, c.loop ? DSM_LOOP_TRACKER : DSM_LOOP_NONE);
    }
}

TEST(S3mLoader, AdlibInstrumentsAreSilent)
{
    s3mSong_T song = s3mFx_toneSong();
    s3mSample_T adlib;
    adlib.type = 2;
    adlib.name = "fm bass";
    song.samples.push_back(adlib);
    song.patterns[0].cells[0][0] = {0x40, 2};
    song.patterns[0].cells[0][1] = {0x40, 1};
    ModulePtr p{fx_load(s3m_write(song))};
    ASSERT_NE(p.m, nullptr);
    ASSERT_NE(p.m->samples[1], nullptr);
    EXPECT_EQ(p.m->samples[1]->adlib, 1);
    EXPECT_EQ(p.m->samples[1]->type, DSM_SMP_NONE);
    EXPECT_EQ(p.m->samples[1]->handle, 0);
    EXPECT_STREQ(p.m->instruments[1].name, "fm bass");

    s3mPlayer_T player(song);
    player.ticks(6);
    EXPECT_EQ(dsmChannel[0].status, DSM_STOPPED);
    EXPECT_EQ(dsmChannel[1].status, DSM_PLAYING);
}

// Damaged files: refused with a code, or loaded with what can be played.
TEST(S3mLoader, DamagedFiles)
{
    s3mSong_T song = s3mFx_toneSong();
    song.patterns[0].cells[0][0] = {0x40, 1};
    const std::vector<uint8_t> good = s3m_write(song);
    // `says`: a part of the refusal's reason, or of the loaded file's one
    // warning (null: none); `silent`: the sample is gone from the file.
    struct Case { const char* what; int code; std::vector<uint8_t> bytes; const char* says; bool silent; };
    std::vector<Case> cases;
    auto patched = [&](size_t at, std::vector<uint8_t> v) {
        std::vector<uint8_t> b = good;
        std::copy(v.begin(), v.end(), b.begin() + at);
        return b;
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + (long)n); };
    cases.push_back({"short header", MPERR_END_OF_FILE, cut(60), "shorter than its format's header", false});
    cases.push_back({"pointer tables past the end", MPERR_END_OF_FILE, cut(98), "ends inside its order list", false});
    cases.push_back({"300 orders", MPERR_INVALID_MODULE, patched(32, {0x2C, 0x01}), "300 orders", false});
    cases.push_back({"only markers", MPERR_INVALID_MODULE, patched(96, {254}), "names no pattern", false});
    cases.push_back({"first order ends the list", MPERR_INVALID_MODULE, patched(96, {255}), "names no pattern", false});
    cases.push_back({"no channel enabled", MPERR_INVALID_MODULE, patched(64, {0x80, 0x80, 0x80, 0x80}),
                     "every channel is disabled", false});
    cases.push_back({"pattern pointer past the end", MPERR_OK, patched(96 + 1 + 2, {0xFF, 0xFF}),
                     "1 pattern(s) lie wholly or partly past the end", false});
    cases.push_back({"instrument pointer past the end", MPERR_OK, patched(96 + 1, {0xFF, 0xFF}),
                     "1 instrument(s) lie past the end", true});
    cases.push_back({"pattern cut short", MPERR_OK, cut(200), "1 pattern(s) lie wholly or partly past the end", true});
    cases.push_back({"whole", MPERR_OK, good, nullptr, false});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t code = -1;
        ModulePtr p{fx_load(c.bytes, &code)};
        EXPECT_EQ(code, c.code);
        ASSERT_EQ(p.m != nullptr, c.code == MPERR_OK);
        std::string said = p.m ? (p.m->warnings.empty() ? "" : p.m->warnings[0]) : mp_loadReason();
        if (c.says)
            EXPECT_NE(said.find(c.says), std::string::npos) << said;
        else
            EXPECT_EQ(said, "");
        if (p.m) {
            EXPECT_EQ(p.m->sampleRecords[0].type == DSM_SMP_NONE, c.silent);
        }
    }
}

TEST(S3mLoader, OrdersNamingMissingPatternsPlayEmpty)
{
    s3mSong_T song = s3mFx_toneSong();
    song.orders = {0, 5};
    ModulePtr p{fx_load(s3m_write(song))};
    ASSERT_NE(p.m, nullptr);
    EXPECT_EQ(p.m->numPatterns, 6u);
    EXPECT_EQ(mp_patternRows(p.m->patterns[5]), 64u);
    EXPECT_EQ(p.m->patterns[5].size(), 8u + 64u);
}

} // namespace
