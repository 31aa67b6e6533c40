// The module player tick by tick: row timing, periods, the MOD commands and
// what reaches the mixer's channels.
#include <gtest/gtest.h>

#include <vector>

#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "it_writer.h"
#include "music_fixture.h"
#include "s3m_fixture.h"
#include "xm_writer.h"

namespace {

// Plays a song on the mixer (no device) and steps it one tick at a time.
struct Player {
    mpModule_T* m = nullptr;
    gmpPlayState_T* st = nullptr;
    explicit Player(const modSong_T& song, int looping = 1) : Player(mod_write(song), looping) {}
    // A file of any format the player reads.
    explicit Player(const std::vector<uint8_t>& file, int looping = 1)
    {
        m = fx_load(file);
        EXPECT_NE(m, nullptr);
        EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
        // Every voice the module plays: IT's background voices too.
        std::vector<int> channels(gmp_soundChannelsNeeded(m));
        EXPECT_EQ(dsm_openChannels((int)channels.size()), 0);
        for (size_t c = 0; c < channels.size(); c++)
            channels[c] = (int)c;
        EXPECT_EQ(gmp_play(m, gmp_rulesOf(m), -1, -1, -1, looping, 0, channels.data(), &st), 0);
    }
    ~Player()
    {
        gmp_stop(st);
        mp_freeModule(m);
        dsm_close();
    }
    // Runs ticks, mixing one tick of sound after each as the device would.
    void ticks(int n, bool mix = false)
    {
        static int16_t scratch[882 * 2];
        for (int i = 0; i < n; i++) {
            ASSERT_EQ(gmp_tick(), 0);
            if (mix)
                dsm_mix(882, scratch);
        }
    }
    gmpChannel_T& ch(int c) { return st->channels[c]; }
};

modCell_T note(int octave, int semitone, int effect = 0, int param = 0)
{
    return {mod_notePeriod(octave, semitone), 1, (uint8_t)effect, (uint8_t)param};
}

TEST(Player, FirstRowOnTheSixthTickThenEverySix)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = note(2, 0);
    song.patterns[0].cells[1][1] = note(2, 0);
    Player p(song);
    EXPECT_EQ(gmpTickRate, 5000u);                 // 50 ticks per second at tempo 125
    for (int t = 1; t <= 5; t++) {
        p.ticks(1);
        EXPECT_EQ(dsmChannel[0].status, DSM_STOPPED) << "tick " << t;
    }
    p.ticks(1);                                    // 100 ms of silence, then row 0
    EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);
    EXPECT_EQ(p.st->row, 1);
    EXPECT_EQ(p.ch(0).period, 428);                // note 0x20, finetune 0: 1712 >> 2
    EXPECT_EQ(dsmChannel[0].rate, 8287u);          // 3546895 / 428
    EXPECT_EQ(dsmChannel[0].panning, -64);
    p.ticks(5);
    EXPECT_EQ(dsmChannel[1].status, DSM_STOPPED);
    p.ticks(1);
    EXPECT_EQ(dsmChannel[1].status, DSM_PLAYING);
    EXPECT_EQ(dsmChannel[1].panning, 64);
    EXPECT_EQ(p.st->row, 2);
}

TEST(Player, FinetuneChangesThePeriod)
{
    modSong_T song = fx_toneSong();
    song.samples[0].finetune = 15;                 // -1
    song.patterns[0].cells[0][0] = note(1, 0);
    Player p(song);
    p.ticks(6);
    EXPECT_EQ(p.ch(0).period, 1724 >> 1);
}

// Golden per-tick output periods of channel 0 for one effect on a C-2 note.
TEST(Player, PerTickPeriods)
{
    struct Case { const char* what; int effect, param; bool wide; int periods[12]; };
    const Case cases[] = {
        // Ticks 0..5 of the row with the effect, then 0..5 of an empty row.
        {"arpeggio 047", 0x0, 0x47, false, {428, 339, 285, 428, 339, 285, 428, 428, 428, 428, 428, 428}},
        {"slide up stops at 113", 0x1, 0x60, false, {428, 332, 236, 140, 113, 113, 113, 113, 113, 113, 113, 113}},
        {"slide up stops at 28 with wide octaves", 0x1, 0x60, true, {428, 332, 236, 140, 44, 28, 28, 28, 28, 28, 28, 28}},
        {"slide down stops at 856", 0x2, 0xC0, false, {428, 620, 812, 856, 856, 856, 856, 856, 856, 856, 856, 856}},
        {"vibrato 448", 0x4, 0x48, false, {428, 428, 434, 439, 442, 443, 428, 428, 428, 428, 428, 428}},
        // A note starts after its row's command, so a fine slide beside it is undone.
        {"fine slide up E12 with the note", 0xE, 0x12, false, {428, 428, 428, 428, 428, 428, 428, 428, 428, 428, 428, 428}},
    };
    for (const Case& c : cases) {
        modSong_T song = fx_toneSong();
        song.patterns[0].cells[0][0] = note(2, 0, c.effect, c.param);
        if (c.wide)
            song.patterns[0].cells[10][3] = note(0, 0);
        Player p(song);
        p.ticks(5);
        for (int t = 0; t < 12; t++) {
            p.ticks(1);
            EXPECT_EQ(p.ch(0).outPeriod, c.periods[t]) << c.what << " tick " << t;
            EXPECT_EQ(dsmChannel[0].rate, 3546895u / c.periods[t]) << c.what << " tick " << t;
        }
    }
}

TEST(Player, FineSlidesOnTheRowTick)
{
    struct Case { int param; int period; };
    for (Case c : {Case{0x12, 426}, Case{0x23, 431}}) {
        modSong_T song = fx_toneSong();
        song.patterns[0].cells[0][0] = note(2, 0);
        song.patterns[0].cells[1][0] = {0, 0, 0xE, (uint8_t)c.param};
        Player p(song);
        p.ticks(12);
        EXPECT_EQ(p.ch(0).period, c.period);
        p.ticks(5);
        EXPECT_EQ(p.ch(0).outPeriod, c.period);
    }
}

TEST(Player, ArpeggioAboveOctaveThreeFoldsDown)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = note(3, 11, 0x0, 0x10);   // B-3 then C-4, which folds to C-1
    Player p(song);
    p.ticks(7);
    EXPECT_EQ(p.ch(0).outPeriod, 856);
}

TEST(Player, TonePortamentoSlidesWithoutRestarting)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = note(2, 0);
    song.patterns[0].cells[1][0] = note(2, 2, 0x3, 0x10);    // toward 381 by 16 a tick
    song.patterns[0].cells[2][0] = {0, 0, 0x3, 0x00};        // remembered speed
    Player p(song);
    p.ticks(6, true);
    uint32_t before = dsmChannel[0].pos;
    p.ticks(6);
    EXPECT_EQ(p.ch(0).portaTarget, 381);
    EXPECT_EQ(p.ch(0).period, 428);
    EXPECT_GE(dsmChannel[0].pos, before);                    // not restarted
    const int expected[8] = {412, 396, 381, 381, 381, 381, 381, 381};
    for (int t = 0; t < 8; t++) {
        p.ticks(1);
        EXPECT_EQ(p.ch(0).period, expected[t]) << t;
    }
}

TEST(Player, VolumeCommands)
{
    struct Case { const char* what; int effect, param; int volumes[6]; };
    const Case cases[] = {
        {"C50 clamps to 64", 0xC, 0x50, {64, 64, 64, 64, 64, 64}},
        {"C20", 0xC, 0x20, {32, 32, 32, 32, 32, 32}},
        {"A0F slides down", 0xA, 0x0F, {64, 49, 34, 19, 4, 0}},
        {"EB5 fine down", 0xE, 0xB5, {59, 59, 59, 59, 59, 59}},
        {"EC2 cut on tick 2", 0xE, 0xC2, {64, 64, 0, 0, 0, 0}},
        {"EC0 cut on the row", 0xE, 0xC0, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        modSong_T song = fx_toneSong();
        song.patterns[0].cells[0][0] = note(2, 0, c.effect, c.param);
        Player p(song);
        p.ticks(5);
        for (int t = 0; t < 6; t++) {
            p.ticks(1);
            EXPECT_EQ(p.ch(0).outVolume, c.volumes[t]) << c.what << " tick " << t;
            EXPECT_EQ(dsmChannel[0].volume, c.volumes[t]) << c.what << " tick " << t;
        }
    }
}

TEST(Player, RetriggerOnTickThree)
{
    modSong_T song = fx_rampSong(30000);
    song.patterns[0].cells[0][0] = note(2, 0, 0xE, 0x93);
    Player p(song);
    p.ticks(6, true);
    for (int t = 1; t < 6; t++) {
        ASSERT_EQ(gmp_tick(), 0);
        if (t == 3)
            EXPECT_EQ(dsmChannel[0].pos, 0u) << "tick " << t;
        else
            EXPECT_GT(dsmChannel[0].pos, 0u) << "tick " << t;
        int16_t scratch[882 * 2];
        dsm_mix(882, scratch);
    }
}

TEST(Player, NoteDelay)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = note(2, 0, 0xE, 0xD3);
    Player p(song);
    p.ticks(6);
    EXPECT_EQ(dsmChannel[0].status, DSM_STOPPED);
    p.ticks(2);
    EXPECT_EQ(dsmChannel[0].status, DSM_STOPPED);
    p.ticks(1);
    EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);
    EXPECT_EQ(p.ch(0).period, 428);
}

TEST(Player, SampleOffsetCountsTwice)
{
    modSong_T song = fx_rampSong(8000);
    song.patterns[0].cells[0][0] = note(2, 0, 0x9, 0x02);
    song.patterns[0].cells[1][0] = note(2, 0, 0x9, 0x00);    // offset memory
    Player p(song);
    p.ticks(6);
    EXPECT_EQ(dsmChannel[0].pos, 512u);
    EXPECT_EQ(p.ch(0).startOffset, 1024u);
    p.ticks(6);                                              // the instrument resets the offset
    EXPECT_EQ(dsmChannel[0].pos, 512u);
    EXPECT_EQ(p.ch(0).startOffset, 1024u);
}

// The rows read in order, one per tick at speed 1.
std::vector<std::pair<int, int>> rowsVisited(Player& p, int n)
{
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < n; i++) {
        int pos = p.st->position, row = p.st->rowData < 0 ? p.st->row : p.st->row;
        seen.push_back({pos, row});
        p.ticks(1);
    }
    return seen;
}

TEST(Player, JumpsBreaksAndLoops)
{
    using Rows = std::vector<std::pair<int, int>>;
    struct Case { const char* what; std::vector<modCell_T> row0; int loopRow; int effect2, param2; Rows expected; };
    modSong_T base = fx_toneSong();
    base.orders = {0, 1, 2};
    base.patterns.resize(3);
    {
        // D32 on row 1 of pattern 0: next is row 32 of position 1.
        modSong_T s = base;
        s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x01};
        s.patterns[0].cells[1][0] = {0, 0, 0xD, 0x32};
        Player p(s);
        p.ticks(6);                                         // row 0 (speed becomes 1)
        EXPECT_EQ(rowsVisited(p, 3), (Rows{{0, 1}, {1, 32}, {1, 33}}));
    }
    {
        modSong_T s = base;
        s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x01};
        s.patterns[0].cells[1][0] = {0, 0, 0xD, 0x64};      // past the end: row 63
        Player p(s);
        p.ticks(6);
        EXPECT_EQ(rowsVisited(p, 3), (Rows{{0, 1}, {1, 63}, {2, 0}}));
    }
    {
        // E6x: rows 1..2 three times.
        modSong_T s = base;
        s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x01};
        s.patterns[0].cells[1][1] = {0, 0, 0xE, 0x60};
        s.patterns[0].cells[2][1] = {0, 0, 0xE, 0x62};
        Player p(s);
        p.ticks(6);
        EXPECT_EQ(rowsVisited(p, 7), (Rows{{0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 3}}));
    }
    {
        // B00 in the last pattern wraps to the start and counts a loop.
        modSong_T s = base;
        s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x01};
        s.patterns[0].cells[1][0] = {0, 0, 0xB, 0x02};
        s.patterns[2].cells[1][0] = {0, 0, 0xB, 0x00};
        Player p(s);
        p.ticks(6);
        EXPECT_EQ(rowsVisited(p, 4), (Rows{{0, 1}, {2, 0}, {2, 1}, {0, 0}}));
        EXPECT_EQ(p.st->loopCount, 1);
        p.ticks(3);                                          // a looping play goes on
        EXPECT_EQ(p.st->loopCount, 2);
        EXPECT_EQ(p.st->position, 0);
    }
}

TEST(Player, SongEndWrapsAndNonLoopingPlayStops)
{
    modSong_T s = fx_toneSong();
    s.orders = {0, 0};
    s.restart = 1;
    s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x01};
    Player p(s, 0);
    p.ticks(6 + 127);
    EXPECT_EQ(p.st->loopCount, 1);
    EXPECT_EQ(p.st->position, 1);                           // the restart position
    int row = p.st->row;
    p.ticks(5);
    EXPECT_EQ(p.st->row, row);                              // no longer ticked
}

// The play state's looping field decides the end, also when a caller
// changes it on a play already started: cleared, the play ends once its
// last row has played all its ticks; left set, the song wraps and goes on.
TEST(Player, ClearingLoopingOnAStartedPlayEndsItAfterItsLastRow)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x03};         // speed 3
    s.patterns[0].cells[63][0] = note(2, 0);
    for (int looping : {0, 1}) {
        SCOPED_TRACE(looping);
        Player p(s, 1);
        p.ticks(6);                                         // row 0
        p.st->looping = looping;
        p.ticks(63 * 3);                                    // rows 1..62, and row 63 is read
        EXPECT_EQ(p.st->loopCount, 1);
        EXPECT_EQ(p.ch(0).period, 428);
        p.ticks(2);                                         // row 63's other ticks
        EXPECT_EQ(p.st->ended, 0);
        p.ticks(1);
        EXPECT_EQ(p.st->ended, looping ? 0 : 1);
        p.ticks(3);
        EXPECT_EQ(p.st->row, looping ? 2 : 0);              // an ended play is ticked no more
        EXPECT_EQ(p.st->loopCount, 1);
    }
}

// The global volume a song sets in one pass: the S3M, XM and IT trackers
// carry it into the next; MOD's restart sets the master volume again (no
// MOD command changes it, so the test sets it by hand).
TEST(Player, GlobalVolumeAcrossTheWrap)
{
    s3mSong_T s3m = s3mFx_toneSong();
    s3m.patterns[0].cells[8][0].command = 22;               // V20
    s3m.patterns[0].cells[8][0].param = 0x20;
    xmSong_T xm;
    xm.instruments = {xm_squareInstrument()};
    xm.patterns[0].cells.resize(9, std::vector<xmCell_T>(2));
    xm.patterns[0].cells[8][0] = {0, 0, 0, 16, 0x20};       // G20
    itSong_T it;
    it.patterns[0].cells.resize(9, std::vector<itCellW_T>(1));
    it.patterns[0].cells[8][0].command = 22;                // V20
    it.patterns[0].cells[8][0].param = 0x20;
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int beforeWrap, afterWrap;
    } cases[] = {
        {"S3M", s3m_write(s3m), 32, 32},
        {"XM", xm_write(xm), 32, 32},
        {"IT", it_write(it), 32, 32},
        {"MOD", mod_write(fx_toneSong()), 10, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Player p(c.file);
        ASSERT_NE(p.st, nullptr);
        if (c.afterWrap == 64)
            p.st->globalVolume = c.beforeWrap;
        int before = -1;
        for (int t = 0; t < 10000 && p.st->loopCount == 0; t++) {
            before = p.st->globalVolume;
            p.ticks(1);
        }
        EXPECT_EQ(p.st->loopCount, 1);
        EXPECT_EQ(before, c.beforeWrap);
        EXPECT_EQ(p.st->globalVolume, c.afterWrap);
    }
}

TEST(Player, PatternDelayRepeatsTheRow)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x01};
    s.patterns[0].cells[1][0] = note(2, 0, 0xE, 0xE2);
    s.patterns[0].cells[1][1] = {0, 0, 0xE, 0x11};          // fine slide again on each repeat
    s.patterns[0].cells[0][1] = note(2, 0);
    Player p(s);
    p.ticks(6);
    p.ticks(1);                                             // row 1
    EXPECT_EQ(p.ch(1).period, 427);
    EXPECT_EQ(p.st->row, 1);                                // it ends after its repeats
    p.ticks(2);                                             // two repeats, no new row
    EXPECT_EQ(p.st->row, 2);
    EXPECT_EQ(p.ch(1).period, 425);
    p.ticks(1);
    EXPECT_EQ(p.st->row, 3);
}

TEST(Player, TempoAndSpeedCommands)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {0, 0, 0xF, 0x03};
    s.patterns[0].cells[0][1] = {0, 0, 0xF, 0x96};          // 150 bpm
    Player p(s);
    p.ticks(6);
    EXPECT_EQ(p.st->speed, 3);
    EXPECT_EQ(p.st->tempo, 150);
    EXPECT_EQ(gmpTickRate, 6000u);
    p.ticks(3);
    EXPECT_EQ(p.st->row, 2);
}

TEST(Player, PanningCommands)
{
    struct Case { int effect, param; int panning, device; };
    const Case cases[] = {{0x8, 0x80, 64, 64}, {0x8, 0x00, -64, -64}, {0x8, 0x40, 0, 0},
                          {0x8, 0xA4, GMP_SURROUND, DSM_SURROUND}, {0xE, 0x87, 0, 0}, {0xE, 0x8F, 64, 64}, {0xE, 0x82, -48, -48}};
    for (const Case& c : cases) {
        modSong_T s = fx_toneSong();
        s.patterns[0].cells[0][0] = {0, 0, (uint8_t)c.effect, (uint8_t)c.param};
        Player p(s);
        p.ticks(6);
        EXPECT_EQ(p.ch(0).panning, c.panning) << c.param;
        EXPECT_EQ(dsmChannel[0].panning, c.device) << c.param;
    }
}

TEST(Player, InvalidCommandIsAnError)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {0, 0, 0xC, 0x10};
    Player p(s);
    p.m->patterns[0][8 + 1] = 40;                           // the command byte of row 0's entry
    for (int t = 0; t < 5; t++)
        ASSERT_EQ(gmp_tick(), 0);
    EXPECT_EQ(gmp_tick(), MPERR_INVALID_PATTERN);
}

} // namespace
