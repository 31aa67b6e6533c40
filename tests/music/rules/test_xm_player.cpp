// The XM rules tick by tick on small files from the tests' writer: the
// instrument's envelopes with sustain and loop, key off with and without a
// volume envelope, fadeout, automatic vibrato, the volume column, and the
// two frequency tables.
#include <gtest/gtest.h>

#include <cmath>

#include "music/formats/mod_writer.h"
#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "tests/music/music_fixture.h"
#include "tests/music/xm_writer.h"

namespace {

struct XmPlayer {
    mpModule_T* m = nullptr;
    gmpPlayState_T* st = nullptr;
    explicit XmPlayer(const xmSong_T& song)
    {
        EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
        int32_t code = 0;
        m = fx_load(xm_write(song), &code);
        EXPECT_NE(m, nullptr) << code;
        EXPECT_EQ(dsm_openChannels(m->numChannels), 0);
        int channels[MP_MAX_CHANNELS];
        for (int c = 0; c < MP_MAX_CHANNELS; c++)
            channels[c] = c;
        EXPECT_EQ(gmp_play(m, gmp_rulesOf(m), -1, -1, -1, 1, 0, channels, &st), 0);
        // The silent ticks before the first row.
        for (int t = 1; t < song.speed; t++)
            EXPECT_EQ(gmp_tick(), 0);
    }
    ~XmPlayer()
    {
        gmp_stop(st);
        mp_freeModule(m);
        dsm_close();
    }
    // Runs n ticks; returns what `probe` reads after each.
    template <typename Probe>
    std::vector<int> ticks(int n, Probe probe)
    {
        std::vector<int> seen;
        for (int i = 0; i < n; i++) {
            EXPECT_EQ(gmp_tick(), 0);
            seen.push_back(probe(st->channels[0]));
        }
        return seen;
    }
};

int envVolume(const gmpChannel_T& c) { return c.envVolume; }
int fade(const gmpChannel_T& c) { return c.fadeVolume; }
int volume(const gmpChannel_T& c) { return c.volume; }
int mixerVolume(const gmpChannel_T&) { return dsmChannel[0].volume; }
int mixerRate(const gmpChannel_T&) { return (int)dsmChannel[0].rate; }

xmSong_T songWith(xmInstrumentW_T in, std::vector<std::vector<xmCell_T>> cells, int speed = 3)
{
    xmSong_T song;
    song.channels = 1;
    song.speed = (uint16_t)speed;
    song.instruments = {in};
    song.patterns[0].cells = cells;
    return song;
}

TEST(XmPlayer, VolumeEnvelopeSustainThenRelease)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.volume.points = {{0, 64}, {2, 32}, {6, 0}};
    in.volume.type = 1 | 2;
    in.volume.sustain = 1;
    // C-4 on row 0, key off on row 2 (tick 6), 3 ticks a row.
    XmPlayer p(songWith(in, {{{49, 1}}, {}, {{97}}}));
    // Down to the sustain point, held there while the key is down, then on
    // along the points after key off.
    EXPECT_EQ(p.ticks(12, envVolume), (std::vector<int>{64, 48, 32, 32, 32, 32, 32, 24, 16, 8, 0, 0}));
}

TEST(XmPlayer, VolumeEnvelopeLoop)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.volume.points = {{0, 0}, {2, 64}, {4, 32}, {8, 32}};
    in.volume.type = 1 | 4;
    in.volume.loopStart = 0;
    in.volume.loopEnd = 2;
    XmPlayer p(songWith(in, {{{49, 1}}}));
    // Arriving at the loop end goes back to the loop start.
    EXPECT_EQ(p.ticks(10, envVolume), (std::vector<int>{0, 32, 64, 48, 0, 32, 64, 48, 0, 32}));
}

TEST(XmPlayer, EnvelopePositionPastTheLoopPlaysOn)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.volume.points = {{0, 64}, {2, 0}, {4, 64}, {8, 0}};
    in.volume.type = 1 | 4;
    in.volume.loopStart = 0;
    in.volume.loopEnd = 1;
    // L05 on row 1: past the loop's end, the envelope no longer loops.
    XmPlayer p(songWith(in, {{{49, 1}}, {{0, 0, 0, 21, 0x05}}}));
    EXPECT_EQ(p.ticks(9, envVolume), (std::vector<int>{64, 32, 64, 48, 32, 16, 0, 0, 0}));
}

TEST(XmPlayer, SustainInsideALoopHoldsUntilKeyOff)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.volume.points = {{0, 64}, {2, 0}, {4, 64}};
    in.volume.type = 1 | 2 | 4;
    in.volume.sustain = 2;
    in.volume.loopStart = 0;
    in.volume.loopEnd = 2;
    XmPlayer p(songWith(in, {{{49, 1}}, {}, {{97}}}));
    EXPECT_EQ(p.ticks(12, envVolume), (std::vector<int>{64, 32, 0, 32, 64, 64, 64, 64, 32, 0, 32, 64}));
}

TEST(XmPlayer, KeyOffWithoutVolumeEnvelopeCuts)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.fadeout = 4096;
    XmPlayer p(songWith(in, {{{49, 1}}, {{97}}}));
    EXPECT_EQ(p.ticks(6, mixerVolume), (std::vector<int>{64, 64, 64, 0, 0, 0}));
}

TEST(XmPlayer, KeyOffStartsTheFadeout)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.volume.points = {{0, 64}};
    in.volume.type = 1;
    in.fadeout = 8192;
    {
        XmPlayer p(songWith(in, {{{49, 1}}, {{0, 0, 0, 20, 1}}}));     // K01: key off on tick 1
        EXPECT_EQ(p.ticks(9, fade), (std::vector<int>{32768, 32768, 32768, 32768, 24576, 16384, 8192, 0, 0}));
    }
    // The fadeout volume scales what reaches the mixer.
    XmPlayer q(songWith(in, {{{49, 1}}, {{97}}}));
    EXPECT_EQ(q.ticks(7, mixerVolume), (std::vector<int>{64, 64, 64, 48, 32, 16, 0}));
}

TEST(XmPlayer, AutomaticVibrato)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.vibDepth = 8;
    in.vibRate = 64;                // a quarter cycle a tick
    auto delta = [](const gmpChannel_T& c) { return c.autoVibDelta; };
    {
        XmPlayer p(songWith(in, {{{49, 1}}}));
        // Sine peak 255 / 4 = 63, x depth 8 x 256 / 16384 = 7 period units.
        EXPECT_EQ(p.ticks(8, delta), (std::vector<int>{0, 7, 0, -7, 0, 7, 0, -7}));
    }
    {
        // The rate follows: linear period 4608 + 7 is below C-4's 8363 Hz.
        XmPlayer q(songWith(in, {{{49, 1}}}));
        std::vector<int> rates = q.ticks(2, mixerRate);
        EXPECT_EQ(rates[0], 8363);
        EXPECT_EQ(rates[1], (int)(8363 * std::exp2(-7.0 / 768)));
    }

    // A sweep grows the depth over its ticks.
    in.vibSweep = 4;
    XmPlayer s(songWith(in, {{{49, 1}}}));
    EXPECT_EQ(s.ticks(8, delta), (std::vector<int>{0, 1, 0, -5, 0, 7, 0, -7}));
}

TEST(XmPlayer, VolumeColumnSlides)
{
    xmInstrumentW_T in = xm_squareInstrument();
    struct Case {
        uint8_t column;
        std::vector<int> volumes;       // after each of 6 ticks (two rows of 3)
    } cases[] = {
        {0x30, {32, 32, 32, 32, 32, 32}},        // set volume 32 (0x10 + 32)
        {0x63, {64, 61, 58, 58, 58, 58}},        // slide down 3 on the ticks after the row's
        {0x72, {64, 64, 64, 64, 64, 64}},        // slide up stops at 64
        {0x85, {59, 59, 59, 59, 59, 59}},        // fine down 5, once on the row's tick
        {0x93, {64, 64, 64, 64, 64, 64}},        // fine up stays at 64
    };
    for (const Case& c : cases) {
        XmPlayer p(songWith(in, {{{49, 1, c.column}}}));
        EXPECT_EQ(p.ticks(6, volume), c.volumes) << std::hex << (int)c.column;
    }
    // From volume 16: slide up 7 a tick, then fine up 2 on the next row.
    XmPlayer p(songWith(in, {{{49, 1, 0x20}}, {{0, 0, 0x77}}, {{0, 0, 0x92}}}));
    EXPECT_EQ(p.ticks(9, volume), (std::vector<int>{16, 16, 16, 16, 23, 30, 32, 32, 32}));
}

TEST(XmPlayer, LinearAndAmigaTablesForOneNote)
{
    struct Case {
        bool linear;
        uint8_t note;
        int8_t finetune;
        int8_t relativeNote;
        uint32_t rate;
    } cases[] = {
        // C-4 plays at 8363 Hz in both tables.
        {true, 49, 0, 0, 8363},
        {false, 49, 0, 0, 8363},
        // linear 2^(9/12) above; Amiga from ProTracker's A-2 period 254 x 4.
        {true, 58, 0, 0, (uint32_t)(8363 * std::exp2(9.0 / 12))},
        {false, 58, 0, 0, 8363u * 1712u / (4u * mod_notePeriod(2, 9))},
        // C-4 with relative note +9 is the same A-4.
        {true, 49, 0, 9, (uint32_t)(8363 * std::exp2(9.0 / 12))},
        {false, 49, 0, 9, 8363u * 1712u / (4u * mod_notePeriod(2, 9))},
        // Finetune +64: half a semitone up (linear: 32 period units).
        {true, 49, 64, 0, (uint32_t)(8363 * std::exp2(32.0 / 768))},
        // Amiga: half way between the table's C (856) and C# (808) at finetune
        // 0, which the table holds as 832 in octave 4 halves: 1664.
        {false, 49, 64, 0, 8363u * 1712u / 1664u},
    };
    for (const Case& c : cases) {
        xmInstrumentW_T in = xm_squareInstrument();
        in.samples[0].finetune = c.finetune;
        in.samples[0].relativeNote = c.relativeNote;
        xmSong_T song = songWith(in, {{{c.note, 1}}});
        song.linear = c.linear;
        XmPlayer p(song);
        EXPECT_EQ(p.ticks(1, mixerRate)[0], (int)c.rate)
            << (c.linear ? "linear" : "amiga") << " note " << (int)c.note << " finetune " << (int)c.finetune;
    }
}

TEST(XmPlayer, NotesOfAnInstrumentWithoutSamplesAreSilent)
{
    xmSong_T song = songWith(xmInstrumentW_T(), {{{49, 1}}});
    song.instruments.push_back(xm_squareInstrument());
    song.patterns[0].cells = {{{49, 2}}, {{50, 1}}, {{51, 3}}};
    XmPlayer p(song);
    auto status = [](const gmpChannel_T&) { return dsmChannel[0].status; };
    EXPECT_EQ(p.ticks(9, status), (std::vector<int>{DSM_PLAYING, DSM_PLAYING, DSM_PLAYING, DSM_STOPPED,
                                                     DSM_STOPPED, DSM_STOPPED, DSM_STOPPED, DSM_STOPPED,
                                                     DSM_STOPPED}));
}

// A note that the instrument's map sends to a sample it does not have is
// ignored, instrument number or not: the playing note goes on.
TEST(XmPlayer, NotesMappedPastTheSamplesAreIgnored)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.noteSample[72] = 5;
    XmPlayer p(songWith(in, {{{49, 1}}, {{73, 1}}, {{73}}, {{50}}}));
    auto rate = [](const gmpChannel_T&) { return dsmChannel[0].status == DSM_PLAYING ? (int)dsmChannel[0].rate : 0; };
    std::vector<int> seen = p.ticks(12, rate);
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 9), std::vector<int>(9, 8363));
    EXPECT_GT(seen[9], 8363) << "C#4 plays";
}

} // namespace

namespace {

// A tone portamento towards a note that the sample's relative note takes
// below C-0 aims at C-0, in both tables.
TEST(XmPlayer, PortamentoTargetsStayInsideTheTable)
{
    for (bool linear : {true, false}) {
        xmInstrumentW_T in = xm_squareInstrument();
        in.samples[0].relativeNote = -40;
        xmSong_T song = songWith(in, {{{49, 1}}, {{1, 0, 0, 3, 0xFF}}});
        song.linear = linear;
        XmPlayer p(song);
        auto target = [](const gmpChannel_T& c) { return c.portaTarget; };
        EXPECT_EQ(p.ticks(4, target)[3], linear ? 7680 : 27392) << (linear ? "linear" : "amiga");
    }
}

} // namespace

namespace {

// Commands that shape the volume, three ticks a row, as the mixer gets it.
TEST(XmPlayer, VolumeCommandsTickByTick)
{
    struct Case {
        const char* what;
        std::vector<std::vector<xmCell_T>> rows;
        std::vector<int> volumes;
    } cases[] = {
        {"G20 global volume 32", {{{49, 1, 0, 16, 0x20}}}, {32, 32, 32}},
        {"H04 global slide down 4 after the row's tick", {{{49, 1}}, {{0, 0, 0, 17, 0x04}}}, {64, 64, 64, 64, 60, 56}},
        {"T11 tremor: on two ticks, off two", {{{49, 1, 0, 29, 0x11}}, {{0, 0, 0, 29, 0x00}}}, {64, 64, 64, 64, 0, 0}},
        {"T12 counts on across rows and keeps its silence through a row's first tick",
         {{{49, 1, 0, 29, 0x12}}, {{0, 0, 0, 29, 0x00}}, {{0, 0, 0, 29, 0x00}}}, {64, 64, 64, 64, 0, 0, 0, 0, 64}},
        {"T11 silence outlasts the tremor and a volume column; an instrument number ends it",
         {{{49, 1, 0, 29, 0x11}}, {{0, 0, 0, 29, 0x00}}, {{0, 0, 0x30}}, {{0, 1}}}, {64, 64, 64, 64, 0, 0, 0, 0, 0, 64, 64}},
        {"EC1 cuts on tick 1", {{{49, 1, 0, 14, 0xC1}}}, {64, 0, 0}},
        {"K02 key off on tick 2, no envelope", {{{49, 1, 0, 20, 0x02}}}, {64, 64, 0}},
        {"key off, no envelope: silence", {{{49, 1, 0x20}}, {{97, 0}}}, {16, 16, 16, 0, 0, 0}},
        {"key off beside an instrument number: its volume again", {{{49, 1, 0x20}}, {{97, 1}}},
         {16, 16, 16, 64, 64, 64}},
        {"the same ends a tremor's silence", {{{49, 1, 0, 29, 0x11}}, {{0, 0, 0, 29, 0}}, {{97, 1}}},
         {64, 64, 64, 64, 0, 0, 64, 64, 64}},
        {"R12 retrigger every 2 ticks, volume - 1", {{{49, 1, 0, 27, 0x12}}, {{0, 0, 0, 27, 0x00}}},
         {64, 64, 63, 63, 63, 62}},
        {"A memory: A02 then A00 slides on", {{{49, 1, 0, 10, 0x02}}, {{0, 0, 0, 10, 0x00}}},
         {64, 62, 60, 60, 58, 56}},
        {"A00 slides as the volume column's slide last did", {{{49, 1, 0x62}}, {{0, 0, 0, 10, 0x00}}},
         {64, 62, 60, 60, 58, 56}},
        {"EE1 repeats the row once; the volume column slides on its later ticks",
         {{{49, 1, 0x61, 14, 0xE1}}, {{0, 0, 0x30}}}, {64, 63, 62, 62, 61, 60, 32}},
    };
    for (const Case& c : cases) {
        XmPlayer p(songWith(xm_squareInstrument(), c.rows));
        EXPECT_EQ(p.ticks((int)c.volumes.size(), mixerVolume), c.volumes) << c.what;
    }
}

} // namespace

namespace {

// The three ways a row sets the panning, as the mixer gets it (-64 left,
// 63 right): 8xx in 256 steps, the volume column's Px and E8x in 16.
TEST(XmPlayer, PanningCommands)
{
    struct Case {
        const char* what;
        xmCell_T cell;
        int panning;
    } cases[] = {
        {"8FF", {49, 1, 0, 8, 0xFF}, 63},
        {"844", {49, 1, 0, 8, 0x44}, -30},
        {"volume column P4", {49, 1, 0xC4}, -32},
        {"E80", {49, 1, 0, 14, 0x80}, -64},
        {"E84: 4/15 of the way", {49, 1, 0, 14, 0x84}, -30},
        {"E88: past the middle", {49, 1, 0, 14, 0x88}, 4},
        {"E8F: the right side", {49, 1, 0, 14, 0x8F}, 63},
    };
    auto panning = [](const gmpChannel_T&) { return dsmChannel[0].panning; };
    for (const Case& c : cases) {
        XmPlayer p(songWith(xm_squareInstrument(), {{c.cell}}));
        EXPECT_EQ(p.ticks(1, panning), std::vector<int>{c.panning}) << c.what;
    }
}

// The panning envelope swings a centred channel from hard left to hard
// right; past its last point it stays there.
TEST(XmPlayer, PanningEnvelope)
{
    xmInstrumentW_T in = xm_squareInstrument();
    in.panning.points = {{0, 0}, {4, 64}};
    in.panning.type = 1;
    XmPlayer p(songWith(in, {{{49, 1}}}));
    auto panning = [](const gmpChannel_T&) { return dsmChannel[0].panning; };
    EXPECT_EQ(p.ticks(6, panning), (std::vector<int>{-64, -32, 0, 32, 63, 63}));
}

} // namespace

namespace {

// Where a note starts its sample, three ticks a row: after every tick the
// probe reads the mixer's position and then moves it to 999, so a tick
// that starts the sample shows its start and any other shows 999.
TEST(XmPlayer, NoteStartsTickByTick)
{
    struct Case {
        const char* what;
        std::vector<std::vector<xmCell_T>> rows;
        std::vector<int> positions;
    } cases[] = {
        {"ED1 on a row without a note replays the last note on tick 1", {{{49, 1}}, {{0, 0, 0, 14, 0xD1}}},
         {0, 999, 999, 999, 0, 999}},
        {"ED2 with only an instrument number replays the last note on tick 2", {{{49, 1}}, {{0, 1, 0, 14, 0xD2}}},
         {0, 999, 999, 999, 999, 0}},
        {"ED1 before any note plays nothing", {{}, {{0, 0, 0, 14, 0xD1}}}, {0, 999, 999, 999, 999, 999}},
        {"918 on a row without a note is remembered for the next 900",
         {{{49, 1, 0, 9, 0x10}}, {{0, 0, 0, 9, 0x18}}, {{49, 1, 0, 9, 0x00}}},
         {0x1000, 999, 999, 999, 999, 999, 0x1800, 999, 999}},
    };
    for (const Case& c : cases) {
        XmPlayer p(songWith(xm_squareInstrument(0x4000), c.rows));
        auto position = [](const gmpChannel_T&) {
            int pos = (int)dsmChannel[0].pos;
            dsmChannel[0].pos = 999;
            return pos;
        };
        EXPECT_EQ(p.ticks((int)c.positions.size(), position), c.positions) << c.what;
    }
}

} // namespace

namespace {

// E31 makes a tone portamento sound in whole semitones while it slides on
// underneath: C-4 (4608) toward C-5 by 24 a tick, three ticks a row; the
// periods heard on the portamento's ticks (rows 1 and 2, ticks 1 and 2).
TEST(XmPlayer, GlissandoSoundsWholeSemitones)
{
    struct Case {
        uint8_t e3;
        std::vector<int> periods;
    } cases[] = {
        {0x30, {4584, 4560, 4536, 4512}},
        {0x31, {4608, 4544, 4544, 4544}},
    };
    for (const Case& c : cases) {
        XmPlayer p(songWith(xm_squareInstrument(), {{{49, 1, 0, 14, c.e3}}, {{61, 0, 0, 3, 0x06}}, {{0, 0, 0, 3, 0}}}));
        auto out = [](const gmpChannel_T& ch) { return ch.outPeriod; };
        std::vector<int> seen = p.ticks(9, out);
        EXPECT_EQ((std::vector<int>{seen[4], seen[5], seen[7], seen[8]}), c.periods) << "E3" << (c.e3 & 15);
    }
}

} // namespace
