// The MOD reader on synthetic files: header fields, signatures, pattern
// encoding, sample records and the damaged files it must refuse or mend.
#include <gtest/gtest.h>

#include <cstring>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_module.h"
#include "music_fixture.h"

namespace {

// The first entry of row 0 of a pattern, after the 8-byte header.
const uint8_t* firstEntry(const mpModule_T* m, int pattern) { return m->patterns[pattern].data() + 8; }

struct ModulePtr {
    mpModule_T* m;
    ~ModulePtr() { mp_freeModule(m); }
};

TEST(ModLoader, OrdersRestartAndPatternCount)
{
    struct Case { uint8_t restart; uint32_t expected; };
    for (Case c : {Case{127, 0}, Case{1, 1}, Case{3, 3}, Case{4, 0}, Case{200, 0}}) {
        modSong_T song = fx_toneSong();
        song.orders = {0, 1, 0, 2};
        song.restart = c.restart;
        ModulePtr p{fx_load(mod_write(song))};
        ASSERT_NE(p.m, nullptr);
        EXPECT_EQ(p.m->songLength, 4u);
        EXPECT_EQ(p.m->numPatterns, 3u);
        EXPECT_EQ(p.m->orders, (std::vector<uint16_t>{0, 1, 0, 2}));
        EXPECT_EQ(p.m->restartPos, c.expected) << "restart byte " << (int)c.restart;
        EXPECT_EQ(p.m->formatId, 1u);
        EXPECT_EQ(p.m->numInsts, 31u);
        EXPECT_EQ(p.m->speed, 6);
        EXPECT_EQ(p.m->tempo, 125);
        EXPECT_EQ(p.m->masterVolume, 64);
        EXPECT_STREQ(p.m->name, "tone");
    }
}

TEST(ModLoader, SignaturesGiveChannelCounts)
{
    struct Case { const char* tag; int channels; };
    const Case cases[] = {{"M.K.", 4}, {"M!K!", 4}, {"FLT4", 4}, {"OCTA", 8}, {"6CHN", 6},
                          {"12CH", 12}, {"TDZ3", 3}, {"32CH", 32}, {"XXXX", 0}, {"0CHN", 0},
                          {"33CH", 0}, {"x1CH", 0}};
    for (const Case& c : cases) {
        modSong_T song = fx_toneSong();
        std::memcpy(song.tag, c.tag, 4);
        song.channels = c.channels > 0 ? c.channels : 4;
        int32_t code;
        ModulePtr p{fx_load(mod_write(song), &code)};
        if (c.channels == 0) {
            EXPECT_EQ(p.m, nullptr) << c.tag;
            EXPECT_EQ(code, MPERR_INVALID_MODULE) << c.tag;
        } else {
            ASSERT_NE(p.m, nullptr) << c.tag;
            EXPECT_EQ(p.m->numChannels, c.channels) << c.tag;
        }
    }
}

TEST(ModLoader, PanningAlternatesLeftRightRightLeft)
{
    modSong_T song = fx_toneSong();
    std::memcpy(song.tag, "OCTA", 4);
    song.channels = 8;
    ModulePtr p{fx_load(mod_write(song))};
    ASSERT_NE(p.m, nullptr);
    const int expected[8] = {0, 128, 128, 0, 0, 128, 128, 0};
    for (int c = 0; c < 8; c++)
        EXPECT_EQ(p.m->panning[c], expected[c]) << c;
}

TEST(ModLoader, CellEncoding)
{
    modSong_T song = fx_toneSong();
    song.samples[1].data.assign(8, 0);
    song.patterns[0].cells[0][1] = {428, 1, 0, 0};
    song.patterns[0].cells[1][0] = {0, 0, 0xF, 0x20};
    song.patterns[0].cells[1][2] = {0, 0, 0xF, 0x21};
    song.patterns[0].cells[2][3] = {mod_notePeriod(3, 11), 2, 0xE, 0x93};
    song.patterns[0].cells[3][0] = {0, 0, 0x8, 0x80};    // kept
    song.patterns[0].cells[3][1] = {0, 0, 0x8, 0x90};    // dropped
    song.patterns[0].cells[3][2] = {0, 0, 0x8, 0xA4};    // surround, kept
    song.patterns[0].cells[3][3] = {0, 0, 0xE, 0x35};    // E3x: an entry with command 0
    ModulePtr p{fx_load(mod_write(song))};
    ASSERT_NE(p.m, nullptr);
    const uint8_t expected[] = {
        0x21, 0x20, 0x00, 0,                              // row 0: C-2, instrument byte 0
        0x80, 15, 0x20, 0x82, 16, 0x21, 0,                // row 1: speed 32, tempo 33
        0xA3, 0x3B, 0x01, 21, 3, 0,                       // row 2: B-3, E93 retrigger
        0x80, 9, 0x80, 0x82, 9, 0xA4, 0x83, 0, 5, 0,      // row 3
        0,                                                // row 4 empty
    };
    const uint8_t* e = firstEntry(p.m, 0);
    EXPECT_EQ(0, std::memcmp(e, expected, sizeof expected));
    uint32_t size, rows;
    std::memcpy(&size, p.m->patterns[0].data(), 4);
    std::memcpy(&rows, p.m->patterns[0].data() + 4, 4);
    EXPECT_EQ(size, p.m->patterns[0].size());
    EXPECT_EQ(size, 8u + sizeof expected - 1 + 60);
    EXPECT_EQ(rows, 64u);
    EXPECT_EQ(p.m->flags & MP_FLAG_WIDE_OCTAVES, 0u);
}

TEST(ModLoader, OctaveFlag)
{
    struct Case { uint16_t period; bool wide; };
    for (Case c : {Case{1712, true}, Case{107, true}, Case{856, false}, Case{113, false}, Case{1000, true}, Case{900, false}}) {
        modSong_T song = fx_toneSong();
        song.patterns[0].cells[5][2] = {c.period, 1, 0, 0};
        ModulePtr p{fx_load(mod_write(song))};
        ASSERT_NE(p.m, nullptr);
        EXPECT_EQ((p.m->flags & MP_FLAG_WIDE_OCTAVES) != 0, c.wide) << c.period;
    }
}

TEST(ModLoader, SampleLoopsAndUnusedInstruments)
{
    struct Case { uint16_t loopStart, loopLength; int loopType; uint32_t loopEnd, length; };
    const Case cases[] = {
        {0, 1, 4, 2, 100},      // one word: no loop
        {0, 2, 5, 4, 4},        // two words: loops over the first 4 bytes, length cut there
        {10, 20, 5, 60, 60},
        {40, 20, 5, 100, 100},  // loop runs past the end: clamped to the sample
        {60, 5, 4, 100, 100},   // loop starts past the end: no loop
    };
    for (const Case& c : cases) {
        modSong_T song = fx_toneSong();
        song.samples[0].data.assign(100, 5);
        song.samples[0].loopStart = c.loopStart;
        song.samples[0].loopLength = c.loopLength;
        song.samples[0].finetune = 3;
        song.samples[0].volume = 40;
        song.samples[4].data.assign(50, 1);              // never played
        song.patterns[0].cells[0][0] = {428, 1, 0, 0};
        ModulePtr p{fx_load(mod_write(song))};
        ASSERT_NE(p.m, nullptr);
        const mpSample_T* s = p.m->samples[0];
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->loopType, c.loopType) << c.loopStart << "/" << c.loopLength;
        EXPECT_EQ(s->loopFlag, c.loopType == 5 ? 1 : 0);
        if (c.loopType == 5) {
            EXPECT_EQ(s->loopEnd, c.loopEnd);
        }
        EXPECT_EQ(s->length, c.length);
        EXPECT_EQ(s->finetune, 3);
        EXPECT_EQ(s->volume, 40);
        EXPECT_EQ(s->data, nullptr);
        ASSERT_NE(s->handle, 0);
        const dsmSample_T& d = dsmSamples[s->handle - 1];
        EXPECT_EQ(d.length, c.length);
        EXPECT_EQ(d.data[0], 5 ^ 0x80);                  // signed became unsigned
        EXPECT_EQ(p.m->instruments[0].used, 1);
        EXPECT_EQ(p.m->instruments[0].numSamples, 1);
        EXPECT_EQ(p.m->instruments[4].used, 0);
        EXPECT_EQ(p.m->instruments[4].numSamples, 0);
        EXPECT_EQ(p.m->samples[4], nullptr);
    }
}

TEST(ModLoader, DamagedFiles)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = {428, 1, 0, 0};
    std::vector<uint8_t> good = mod_write(song);
    struct Case { const char* what; std::vector<uint8_t> bytes; int32_t code; };
    std::vector<Case> cases = {
        {"shorter than the recognition header", std::vector<uint8_t>(good.begin(), good.begin() + 40), MPERR_END_OF_FILE},
        {"shorter than the MOD header", std::vector<uint8_t>(good.begin(), good.begin() + 1000), MPERR_END_OF_FILE},
        {"pattern data cut", std::vector<uint8_t>(good.begin(), good.begin() + 1084 + 500), MPERR_END_OF_FILE},
    };
    std::vector<uint8_t> b = good;
    b[952 + 100] = 9;                                    // an order beyond the song names pattern 9
    cases.push_back({"pattern count past the end", b, MPERR_END_OF_FILE});
    b = good;
    b[950] = 0;
    cases.push_back({"empty song", b, MPERR_INVALID_MODULE});
    b = good;
    b[1084] = 0x00; b[1085] = 20;                        // period 20: below the table
    cases.push_back({"period too small", b, MPERR_INVALID_PATTERN});
    b = good;
    b[1084] = 0x21; b[1086] = 0x00;                      // instrument 32
    cases.push_back({"instrument 32", b, MPERR_INVALID_PATTERN});
    b = good;
    std::memcpy(b.data(), "Extended Module: ", 17);
    cases.push_back({"XM", b, MPERR_INVALID_MODULE});
    b = good;
    std::memcpy(b.data() + 44, "SCRM", 4);
    cases.push_back({"S3M", b, MPERR_INVALID_MODULE});
    b = good;
    std::memcpy(b.data(), "IMPM", 4);
    cases.push_back({"IT", b, MPERR_INVALID_MODULE});
    for (const Case& c : cases) {
        int32_t code = 0;
        mpModule_T* m = fx_load(c.bytes, &code);
        EXPECT_EQ(m, nullptr) << c.what;
        EXPECT_EQ(code, c.code) << c.what;
        EXPECT_STRNE(mp_loadReason(), "") << c.what;     // every refusal says why
        mp_freeModule(m);
    }
}

TEST(ModLoader, TruncatedLastSampleIsKept)
{
    modSong_T song = fx_toneSong();
    song.samples[0].data.assign(1000, 7);
    song.samples[0].loopStart = 200;                     // loop 400..1000, past what the file holds
    song.samples[0].loopLength = 300;
    song.patterns[0].cells[0][0] = {428, 1, 0, 0};
    std::vector<uint8_t> bytes = mod_write(song);
    bytes.resize(bytes.size() - 300);                    // 700 bytes of sample data remain
    ModulePtr p{fx_load(bytes)};
    ASSERT_NE(p.m, nullptr);
    const mpSample_T* s = p.m->samples[0];
    EXPECT_EQ(s->length, 700u);
    EXPECT_EQ(s->loopStart, 400u);
    EXPECT_EQ(s->loopEnd, 700u);
    EXPECT_EQ(dsmSamples[s->handle - 1].length, 700u);
    ASSERT_EQ(p.m->warnings.size(), 1u);
    EXPECT_NE(p.m->warnings[0].find("1 sample(s) hold less data"), std::string::npos) << p.m->warnings[0];

    bytes.resize(bytes.size() - 700);                    // no sample data at all
    ModulePtr q{fx_load(bytes)};
    ASSERT_NE(q.m, nullptr);
    EXPECT_EQ(q.m->samples[0]->length, 0u);
    EXPECT_EQ(q.m->samples[0]->type, 0);
    EXPECT_EQ(q.m->samples[0]->handle, 0);
}

TEST(ModLoader, MissingFile)
{
    mp_lastError = 0;
    EXPECT_EQ(mp_loadModule("no_such_dir/no_such.mod"), nullptr);
    EXPECT_EQ(mp_lastError, MPERR_FILE_NOT_FOUND);
}

} // namespace
