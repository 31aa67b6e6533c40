// The IT rules tick by tick on small files from the tests' writer: each
// new-note action and a duplicate check with their background voices, a
// sustain loop released by note off, a filter envelope, and the
// compatible-G flag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/rules/it/it_rules.h"
#include "music/mixer/dsm.h"
#include "tests/music/music_fixture.h"
#include "tests/music/it_writer.h"

namespace {

struct ItPlayer {
    mpModule_T* m = nullptr;
    gmpPlayState_T* st = nullptr;
    explicit ItPlayer(const itSong_T& song)
    {
        EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
        int32_t code = 0;
        m = fx_load(it_write(song), &code);
        EXPECT_NE(m, nullptr) << code;
        int n = gmp_soundChannelsNeeded(m);
        EXPECT_EQ(n, m->numChannels + MP_BACKGROUND_VOICES);
        EXPECT_EQ(dsm_openChannels(n), 0);
        std::vector<int> channels(n);
        for (int c = 0; c < n; c++)
            channels[c] = c;
        EXPECT_EQ(gmp_play(m, gmp_rulesOf(m), -1, -1, -1, 1, 0, channels.data(), &st), 0);
    }
    ~ItPlayer()
    {
        gmp_stop(st);
        mp_freeModule(m);
        dsm_close();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; i++)
            ASSERT_EQ(gmp_tick(), 0);
    }
    // Plays the song once to its end (at most `cap` ticks); the ticks it played.
    int ticksToTheEnd(int cap = 100)
    {
        gmp_setEndLoop(st, 1);
        int played = 0;
        while (!st->ended && played < cap) {
            EXPECT_EQ(gmp_tick(), 0);
            played += !st->ended;
        }
        return played;
    }
    int activeBackground() const
    {
        int n = 0;
        for (int k = 0; k < gmp_itState(st)->numBackground; k++)
            n += gmp_itState(st)->bg[k].v.active;
        return n;
    }
    const gmpItVoice_T* background(int k) const { return &gmp_itState(st)->bg[k]; }
};

// One channel, speed 2: notes on rows 0 and 1 (and 2 when given).
itSong_T twoNotes(const itInstrumentW_T& in, std::vector<int> notes)
{
    itSong_T song;
    song.speed = 2;
    song.samples = {it_squareSample(64)};
    song.instruments = {in};
    itPatternW_T& p = song.patterns[0];
    p.rows = 8;
    p.cells.resize(notes.size(), std::vector<itCellW_T>(1));
    for (size_t r = 0; r < notes.size(); r++)
        p.cells[r][0] = {notes[r], 1, -1, 0, 0};
    return song;
}

struct NnaCase {
    int nna;
    int backgroundActive;       // after the second note's row
    int keyOn, fading;          // of the note left in the background
};

class ItNewNoteAction : public ::testing::TestWithParam<NnaCase> {};

TEST_P(ItNewNoteAction, LeavesTheOldNoteAsItSays)
{
    NnaCase c = GetParam();
    itInstrumentW_T in = it_instrument(1);
    in.nna = (uint8_t)c.nna;
    in.fadeout = 256;           // 8192 a tick of 32768
    in.volume.points = {{64, 0}, {64, 100}};
    in.volume.flags = 1 | 4;    // held by a sustain on its first point
    ItPlayer p(twoNotes(in, {60, 67}));
    ASSERT_TRUE(p.st);
    p.ticks(2);
    ASSERT_EQ(p.activeBackground(), 0);
    int firstSound = p.st->channels[0].soundChannel;
    p.ticks(1);                 // row 1: the second note
    ASSERT_EQ(p.activeBackground(), c.backgroundActive);
    EXPECT_EQ(p.st->channels[0].realNote, 67);
    EXPECT_EQ(gmp_itState(p.st)->fg[0].active, 1);
    if (!c.backgroundActive) {
        EXPECT_EQ(p.st->channels[0].soundChannel, firstSound);
        return;
    }
    // The old note kept its sound channel; the channel took a free one.
    const gmpItVoice_T* b = p.background(0);
    EXPECT_EQ(b->ch.soundChannel, firstSound);
    EXPECT_NE(p.st->channels[0].soundChannel, firstSound);
    EXPECT_EQ(b->ch.realNote, 60);
    EXPECT_EQ(b->ch.keyOn, c.keyOn);
    EXPECT_EQ(b->v.fading, c.fading);
    EXPECT_EQ(dsmChannel[firstSound].status, DSM_PLAYING);
    // Per tick: a fading note loses 8192 a tick and ends; the others sound on.
    std::vector<int> fade, active;
    for (int t = 0; t < 5; t++) {
        p.ticks(1);
        fade.push_back(b->ch.fadeVolume);
        active.push_back(b->v.active);
    }
    if (c.fading) {
        EXPECT_EQ(fade, (std::vector<int>{16384, 8192, 0, 0, 0}));
        EXPECT_EQ(active, (std::vector<int>{1, 1, 0, 0, 0}));
        EXPECT_EQ(dsmChannel[firstSound].volume, 0);
    } else {
        EXPECT_EQ(fade, std::vector<int>(5, 32768));
        EXPECT_EQ(active, std::vector<int>(5, 1));
        EXPECT_GT(dsmChannel[firstSound].volume, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, ItNewNoteAction,
                         ::testing::Values(NnaCase{MP_NNA_CUT, 0, 0, 0}, NnaCase{MP_NNA_CONTINUE, 1, 1, 0},
                                           NnaCase{MP_NNA_OFF, 1, 0, 0}, NnaCase{MP_NNA_FADE, 1, 1, 1}));

TEST(ItNewNoteAction, NoteOffWithoutAVolumeEnvelopeFades)
{
    itInstrumentW_T in = it_instrument(1);
    in.nna = MP_NNA_OFF;
    in.fadeout = 512;           // half of 32768 a tick
    ItPlayer p(twoNotes(in, {60, 67}));
    p.ticks(3);
    ASSERT_EQ(p.activeBackground(), 1);
    EXPECT_EQ(p.background(0)->v.fading, 1);
    p.ticks(1);
    EXPECT_EQ(p.activeBackground(), 0);
}

// Notes C-5, E-5 and a third, each going on in the background: a note
// check cuts the old C-5 when C-5 comes again, and nothing else.
struct DupCase {
    int dct;
    int third;
    int background;             // voices in the background after the third note
};

class ItDuplicateCheck : public ::testing::TestWithParam<DupCase> {};

TEST_P(ItDuplicateCheck, ActsOnTheNotesItMatches)
{
    DupCase c = GetParam();
    itInstrumentW_T in = it_instrument(1);
    in.nna = MP_NNA_CONTINUE;
    in.dct = (uint8_t)c.dct;
    in.dca = MP_DCA_CUT;
    ItPlayer p(twoNotes(in, {60, 64, c.third}));
    p.ticks(3);
    ASSERT_EQ(p.activeBackground(), 1);     // C-5 goes on behind E-5
    int cSound = p.background(0)->ch.soundChannel;
    p.ticks(2);
    EXPECT_EQ(p.activeBackground(), c.background);
    EXPECT_EQ(p.st->channels[0].realNote, c.third);
    if (c.background == 1) {
        // The old C-5 was cut and its voice now holds E-5; the new C-5
        // plays on the sound channel the old one left.
        EXPECT_EQ(p.background(0)->ch.realNote, 64);
        EXPECT_EQ(p.st->channels[0].soundChannel, cSound);
        EXPECT_EQ(dsmChannel[cSound].pos, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Checks, ItDuplicateCheck,
                         ::testing::Values(DupCase{MP_DCT_NOTE, 60, 1}, DupCase{MP_DCT_OFF, 60, 2},
                                           DupCase{MP_DCT_NOTE, 62, 2}, DupCase{MP_DCT_INSTRUMENT, 62, 1}));

TEST(ItVoices, TheQuietestBackgroundVoiceIsTakenWhenNoneIsFree)
{
    itInstrumentW_T in = it_instrument(1);
    in.nna = MP_NNA_CONTINUE;
    std::vector<int> notes(MP_BACKGROUND_VOICES + 2, 60);
    itSong_T song = twoNotes(in, notes);
    song.patterns[0].rows = (int)notes.size();
    song.speed = 1;
    // Row 1's note is the quietest.
    for (size_t r = 0; r < notes.size(); r++)
        song.patterns[0].cells[r][0].volume = r == 1 ? 5 : 60;
    ItPlayer p(song);
    p.ticks(MP_BACKGROUND_VOICES + 1);
    ASSERT_EQ(p.activeBackground(), MP_BACKGROUND_VOICES);
    int quiet = p.background(1)->v.finalVolume;
    EXPECT_LT(quiet, p.background(0)->v.finalVolume);
    p.ticks(1);
    EXPECT_EQ(p.activeBackground(), MP_BACKGROUND_VOICES);
    EXPECT_GT(p.background(1)->v.finalVolume, quiet);
}

TEST(ItSustainLoop, NoteOffLeavesItForTheEnd)
{
    itSong_T song;
    song.speed = 2;
    itSampleW_T s;
    for (int i = 0; i < 4000; i++)
        s.data.push_back((int16_t)(i % 50 - 25));
    s.sustain = 1;
    s.sustainStart = 100;
    s.sustainEnd = 200;
    song.samples = {s};
    itPatternW_T& pat = song.patterns[0];
    pat.rows = 4;
    pat.cells.resize(4, std::vector<itCellW_T>(1));
    pat.cells[0][0] = {60, 1, -1, 0, 0};
    pat.cells[2][0] = {255, 0, -1, 0, 0};
    ItPlayer p(song);
    dsmChannel_T& ch = dsmChannel[p.st->channels[0].soundChannel];
    std::vector<int16_t> out(2 * 30000);
    p.ticks(1);
    dsm_mix(3000, out.data());  // 8363 Hz of 44100: about 570 frames, round the loop
    EXPECT_EQ(ch.status, DSM_PLAYING);
    EXPECT_GE(ch.pos, 100u);
    EXPECT_LT(ch.pos, 200u);
    p.ticks(4);                 // row 2: note off
    EXPECT_EQ(ch.status, DSM_RELEASED);
    EXPECT_EQ(p.st->channels[0].keyOn, 0);
    dsm_mix(3000, out.data());
    EXPECT_GE(ch.pos, 200u);
    dsm_mix(30000, out.data());
    EXPECT_EQ(ch.status, DSM_AT_END);
}

TEST(ItFilter, TheFilterEnvelopeMovesTheCutoffEachTick)
{
    itInstrumentW_T in = it_instrument(1);
    in.cutoff = 100;
    in.resonance = 20;
    in.pitch.points = {{32, 0}, {-32, 4}};      // full cutoff down to none over 4 ticks
    in.pitch.flags = 1 | 128;
    itSong_T song = twoNotes(in, {60});
    ItPlayer p(song);
    int sound = p.st->channels[0].soundChannel;
    std::vector<int> cutoff, on;
    for (int t = 0; t < 6; t++) {
        p.ticks(1);
        cutoff.push_back(dsmChannel[sound].filterCutoff);
        on.push_back(dsmChannel[sound].filter.on);
    }
    EXPECT_EQ(cutoff, (std::vector<int>{100, 75, 50, 25, 0, 0}));
    EXPECT_EQ(on, std::vector<int>(6, 1));
    EXPECT_EQ(dsmChannel[sound].filterResonance, 20);
}

TEST(ItFilter, ZCommandsSetCutoffAndResonance)
{
    itInstrumentW_T in = it_instrument(1);
    itSong_T song = twoNotes(in, {60});
    song.patterns[0].cells.resize(2, std::vector<itCellW_T>(1));
    song.patterns[0].cells[0][0].command = ITC_MIDI;
    song.patterns[0].cells[0][0].param = 0x40;
    song.patterns[0].cells[1][0].command = ITC_MIDI;
    song.patterns[0].cells[1][0].param = 0x85;
    ItPlayer p(song);
    int sound = p.st->channels[0].soundChannel;
    p.ticks(1);
    EXPECT_EQ(dsmChannel[sound].filterCutoff, 0x40);
    EXPECT_EQ(dsmChannel[sound].filter.on, 1);
    p.ticks(2);
    EXPECT_EQ(dsmChannel[sound].filterResonance, 40);
}

// The smooth macro slides the same values a step a tick, from where the
// filter was to the value on the row's last tick: the cutoff from open
// (127) to 0x40, then the resonance from none to 5 x 8, four ticks a row.
TEST(ItFilter, SmoothMacroSlidesOverTheRow)
{
    itSong_T song = twoNotes(it_instrument(1), {60});
    song.speed = 4;
    song.patterns[0].cells.resize(2, std::vector<itCellW_T>(1));
    song.patterns[0].cells[0][0].command = ITC_SMOOTH_MIDI;
    song.patterns[0].cells[0][0].param = 0x40;
    song.patterns[0].cells[1][0].command = ITC_SMOOTH_MIDI;
    song.patterns[0].cells[1][0].param = 0x85;
    ItPlayer p(song);
    int sound = p.st->channels[0].soundChannel;
    std::vector<int> cutoff, resonance;
    for (int t = 0; t < 8; t++) {
        p.ticks(1);
        cutoff.push_back(dsmChannel[sound].filterCutoff);
        resonance.push_back(dsmChannel[sound].filterResonance);
    }
    EXPECT_EQ(cutoff, (std::vector<int>{112, 96, 80, 64, 64, 64, 64, 64}));
    EXPECT_EQ(resonance, (std::vector<int>{0, 0, 0, 0, 10, 20, 30, 40}));
}

// G00 after F (portamento up) 10 on the row before: the compatible-G flag
// shares F's memory with G, so G00 slides at speed 10; without it G has
// none of its own yet and stays.
struct CompatCase {
    bool compatG;
    std::vector<int> periods;   // the ticks of the G00 row
};

class ItCompatibleG : public ::testing::TestWithParam<CompatCase> {};

TEST_P(ItCompatibleG, SharesTheMemoryOfEAndF)
{
    CompatCase c = GetParam();
    itInstrumentW_T in = it_instrument(1);
    itSong_T song = twoNotes(in, {60});
    song.flags = (uint16_t)(1 | 8 | (c.compatG ? 32 : 0));
    song.speed = 3;
    auto& cells = song.patterns[0].cells;
    cells.resize(2, std::vector<itCellW_T>(1));
    cells[0][0].command = ITC_PORTA_UP;
    cells[0][0].param = 0x0A;
    cells[1][0] = {72, 0, -1, ITC_TONE_PORTA, 0};
    ItPlayer p(song);
    p.ticks(3);
    ASSERT_EQ(p.st->channels[0].period, IT_PERIOD_C5 - 2 * 40);
    std::vector<int> periods;
    for (int t = 0; t < 3; t++) {
        p.ticks(1);
        periods.push_back(p.st->channels[0].period);
    }
    EXPECT_EQ(periods, c.periods);
}

INSTANTIATE_TEST_SUITE_P(Flag, ItCompatibleG,
                         ::testing::Values(CompatCase{true, {3760, 3720, 3680}},
                                           CompatCase{false, {3760, 3760, 3760}}));

// A tone portamento row with the number of an instrument (or, without
// instruments, a sample) that plays another sample: without the
// compatible-G flag the new sample starts with its volume and the glide
// goes on from the old pitch; with it nothing but the glide changes.
TEST(ItPlayer, CompatibleGDecidesWhetherPortamentoChangesTheSample)
{
    for (bool instruments : {false, true}) {
        for (bool compatG : {false, true}) {
            itSong_T song;
            song.speed = 3;
            song.flags = (uint16_t)(1 | 8 | (instruments ? 4 : 0) | (compatG ? 32 : 0));
            song.samples = {it_squareSample(64), it_squareSample(16)};
            song.samples[1].volume = 32;
            if (instruments)
                song.instruments = {it_instrument(1), it_instrument(2)};
            itPatternW_T& p = song.patterns[0];
            p.rows = 4;
            p.cells.assign(4, std::vector<itCellW_T>(1));
            p.cells[0][0] = {60, 1, -1, 0, 0};
            p.cells[1][0] = {62, 2, -1, ITC_TONE_PORTA, 0x08};
            ItPlayer player(song);
            const gmpChannel_T& ch = player.st->channels[0];
            player.ticks(3);
            int sample = dsmChannel[ch.soundChannel].sample, period = ch.period;
            player.ticks(1);
            std::string what = std::string(instruments ? "instruments" : "samples") + (compatG ? ", compatible G" : "");
            EXPECT_EQ(dsmChannel[ch.soundChannel].sample != sample, !compatG) << what;
            EXPECT_EQ(ch.volume, compatG ? 64 : 32) << what;
            EXPECT_EQ(ch.period, period) << what << ": the glide starts from the old pitch";
            player.ticks(1);
            EXPECT_LT(ch.period, period) << what << ": and goes up";
        }
    }
}

} // namespace

namespace {

// An instrument number alone does not change the playing note's
// instrument: left in the background it fades by its own fadeout.
TEST(ItVoices, ABackgroundNoteKeepsItsInstrument)
{
    itInstrumentW_T fading = it_instrument(1);
    fading.nna = MP_NNA_FADE;
    fading.fadeout = 256;           // 8192 a tick
    itInstrumentW_T other = it_instrument(1);
    itSong_T song = twoNotes(fading, {60});
    song.instruments.push_back(other);
    auto& cells = song.patterns[0].cells;
    cells.resize(3, std::vector<itCellW_T>(1));
    cells[1][0] = {-1, 2, -1, 0, 0};    // instrument 2 alone
    cells[2][0] = {64, 2, -1, 0, 0};
    ItPlayer p(song);
    p.ticks(5);                         // row 2's tick: instrument 1's note goes to the background
    ASSERT_EQ(p.activeBackground(), 1);
    EXPECT_EQ(p.background(0)->v.instrument, 0);
    std::vector<int> fade;
    for (int t = 0; t < 3; t++) {
        p.ticks(1);
        fade.push_back(p.background(0)->ch.fadeVolume);
    }
    EXPECT_EQ(fade, (std::vector<int>{16384, 8192, 0}));
}

} // namespace

namespace {

// The sample's automatic vibrato at a quarter cycle a tick, depth 8 and no
// sweep: the sine's peak (63 of 64) is 7 period units up, then 8 down.
TEST(ItVoices, AutomaticVibratoMovesTheRate)
{
    itSong_T song = twoNotes(it_instrument(1), {60});
    song.samples[0].vibSpeed = 64;
    song.samples[0].vibDepth = 8;
    ItPlayer p(song);
    int sound = p.st->channels[0].soundChannel;
    std::vector<int> rates, want;
    for (int d : {0, 7, 0, -8}) {
        p.ticks(1);
        rates.push_back((int)dsmChannel[sound].rate);
        want.push_back((int)(8363 * std::exp2(d / 768.0)));
    }
    EXPECT_EQ(rates, want);
}

} // namespace

namespace {

// The song ends after its last row's ticks, a fine pattern delay's (S6x)
// included: ticks played, speed 3, two rows.
TEST(ItPlayer, SongEndsAfterTheLastRowsExtraTicks)
{
    struct Case {
        const char* what;
        int row;                // the row with S6x, -1 none
        int param;
        int ticks;
    } cases[] = {
        {"no delay", -1, 0, 6},
        {"S62 on the first row", 0, 0x62, 8},
        {"S62 on the last row", 1, 0x62, 8},
        {"S6F on the last row", 1, 0x6F, 21},
    };
    for (const Case& c : cases) {
        itSong_T song;
        song.speed = 3;
        song.samples = {it_squareSample(64)};
        itPatternW_T& p = song.patterns[0];
        p.rows = 2;
        p.cells.assign(2, std::vector<itCellW_T>(1));
        p.cells[0][0] = {60, 1, -1, 0, 0};
        if (c.row >= 0)
            p.cells[c.row][0].command = 19, p.cells[c.row][0].param = (uint8_t)c.param;    // S
        ItPlayer player(song);
        EXPECT_EQ(player.ticksToTheEnd(), c.ticks) << c.what;
    }
}

} // namespace

namespace {

// A channel the header disables (panning + 128) is silent, but its
// pattern break still ends the song: ticks played, speed 3, C00 on row 4.
TEST(ItPlayer, DisabledChannelIsSilentButSteersTheSong)
{
    for (bool disabled : {false, true}) {
        itSong_T song;
        song.speed = 3;
        song.samples = {it_squareSample(64)};
        song.channelPan[1] = (uint8_t)(disabled ? 128 | 32 : 32);
        itPatternW_T& p = song.patterns[0];
        p.rows = 16;
        p.cells.assign(16, std::vector<itCellW_T>(2));
        p.cells[0][1] = {60, 1, -1, 0, 0};
        p.cells[4][1] = {-1, 0, -1, 3, 0};      // C00
        ItPlayer player(song);
        player.ticks(1);
        EXPECT_EQ(dsmChannel[1].volume > 0, !disabled) << "the note's volume on the mixer";
        EXPECT_EQ(1 + player.ticksToTheEnd(), 15) << (disabled ? "disabled" : "enabled");
    }
}

} // namespace

namespace {

// The instrument's random variations: each note's volume within RV percent
// of the sample's, its panning within RP of the channel's; none without.
TEST(ItPlayer, RandomVolumeAndPanningVariations)
{
    for (int rv : {0, 50}) {
        itInstrumentW_T in = it_instrument(1);
        in.randomVolume = (uint8_t)rv;
        in.randomPan = (uint8_t)(rv ? 16 : 0);
        itSong_T song = twoNotes(in, {});
        song.speed = 1;
        itPatternW_T& p = song.patterns[0];
        p.rows = 16;
        p.cells.assign(16, std::vector<itCellW_T>(1, itCellW_T{60, 1, -1, 0, 0}));
        song.samples[0].globalVolume = 48;
        ItPlayer player(song);
        std::vector<int> volumes, pans;
        for (int r = 0; r < 16; r++) {
            player.ticks(1);
            volumes.push_back(gmp_itState(player.st)->fg[0].sampleVolume);
            pans.push_back(gmp_itState(player.st)->fg[0].panOffset);
        }
        auto [vmin, vmax] = std::minmax_element(volumes.begin(), volumes.end());
        auto [pmin, pmax] = std::minmax_element(pans.begin(), pans.end());
        if (rv == 0) {
            EXPECT_EQ(volumes, std::vector<int>(16, 48));
            EXPECT_EQ(pans, std::vector<int>(16, 0));
        } else {
            EXPECT_GE(*vmin, 24);
            EXPECT_LE(*vmax, 64);
            EXPECT_LT(*vmin, *vmax) << "the volumes vary";
            EXPECT_GE(*pmin, -16);
            EXPECT_LE(*pmax, 16);
            EXPECT_LT(*pmin, *pmax) << "the pannings vary";
        }
    }
}

} // namespace
