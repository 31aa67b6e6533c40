// The S3M rules tick by tick: a table of small songs, each with the channel
// state it must show after every tick of its first rows. The rules checked
// are the ones that differ from MOD: the shared parameter memory, fine and
// extra-fine slides, fast slides, Q retrigger, tremor, SDx and SCx, global
// volume, arpeggio, vibrato depths, tone portamento on the finer periods,
// panning and the note-cut cell.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "music/mixer/dsm.h"
#include "tests/music/s3m_fixture.h"

namespace {

// What a case watches on channel 0 after a tick.
enum Field { OUT_VOLUME, PERIOD, OUT_PERIOD, MIXER_VOLUME, MIXER_STATUS, MIXER_PANNING, MIXER_RATE };

int watch(s3mPlayer_T& p, Field f)
{
    switch (f) {
    case OUT_VOLUME: return p.ch(0).outVolume;
    case PERIOD: return p.ch(0).period;
    case OUT_PERIOD: return p.ch(0).outPeriod;
    case MIXER_VOLUME: return dsmChannel[0].volume;
    case MIXER_STATUS: return dsmChannel[0].status;
    case MIXER_PANNING: return dsmChannel[0].panning;
    case MIXER_RATE: return (int)dsmChannel[0].rate;
    }
    return 0;
}

s3mCell_T cmd(uint8_t command, uint8_t param, uint8_t note = 255)
{
    return {note, (uint8_t)(note == 255 ? 0 : 1), 255, command, param};
}

enum { A = 1, D = 4, E, F, G, H, I, J, Q = 17, S = 19, U = 21, V = 22, X = 24 };
const uint8_t C4 = 0x40, C5 = 0x50;

struct Case {
    const char* name;
    std::vector<std::pair<int, s3mCell_T>> rows;    // channel 0's cells by row
    Field field;
    std::vector<int> expected;                      // from row 0, tick 0, speed 6
    uint16_t flags = 0;
};

const Case cases[] = {
    {"D04 then E00 and F00 reuse its parameter",
     {{0, cmd(D, 0x04, C4)}, {1, cmd(E, 0)}, {2, cmd(F, 0)}},
     PERIOD, {1712, 1712, 1712, 1712, 1712, 1712, 1712, 1728, 1744, 1760, 1776, 1792, 1792, 1776, 1760, 1744, 1728, 1712}},
    {"D04 slides after the first tick",
     {{0, cmd(D, 0x04, C4)}, {1, cmd(D, 0)}},
     OUT_VOLUME, {64, 60, 56, 52, 48, 44, 44, 40, 36, 32, 28, 24}},
    {"fast slides also slide on the first tick",
     {{0, cmd(D, 0x04, C4)}, {1, cmd(D, 0x20)}},
     OUT_VOLUME, {60, 56, 52, 48, 44, 40, 42, 44, 46, 48, 50, 52}, 64},
    {"D0F slides on every tick",
     {{0, cmd(D, 0x0F, C4)}},
     OUT_VOLUME, {49, 34, 19, 4, 0, 0}},
    {"DF4 and D2F are fine slides, once a row",
     {{0, cmd(D, 0xF4, C4)}, {1, cmd(D, 0x2F)}, {2, cmd(D, 0)}},
     OUT_VOLUME, {60, 60, 60, 60, 60, 60, 62, 62, 62, 62, 62, 62, 64, 64, 64, 64, 64, 64}},
    {"EFx fine and EEx extra fine, FFx and FEx",
     {{0, cmd(E, 0xF2, C4)}, {1, cmd(E, 0xE3)}, {2, cmd(F, 0xF1)}, {3, cmd(F, 0xE5)}},
     PERIOD, {1720, 1720, 1720, 1720, 1720, 1720, 1723, 1723, 1723, 1723, 1723, 1723,
              1719, 1719, 1719, 1719, 1719, 1719, 1714, 1714, 1714, 1714, 1714, 1714}},
    {"Q23 retriggers every third tick across rows, 2 quieter each time",
     {{0, cmd(Q, 0x23, C4)}, {1, cmd(Q, 0)}},
     OUT_VOLUME, {64, 64, 64, 62, 62, 62, 60, 60, 60, 58, 58, 58}},
    {"I21 sounds 3 ticks and is silent 2, counting across rows",
     {{0, cmd(I, 0x21, C4)}, {1, cmd(I, 0)}},
     OUT_VOLUME, {64, 64, 64, 0, 0, 64, 64, 64, 0, 0, 64, 64}},
    {"SD3 starts the note on tick 3",
     {{0, cmd(S, 0xD3, C4)}},
     MIXER_STATUS, {DSM_STOPPED, DSM_STOPPED, DSM_STOPPED, DSM_PLAYING, DSM_PLAYING, DSM_PLAYING}},
    {"SC2 cuts on tick 2",
     {{0, cmd(S, 0xC2, C4)}},
     OUT_VOLUME, {64, 64, 0, 0, 0, 0}},
    {"V20 halves what reaches the mixer",
     {{0, cmd(V, 0x20, C4)}, {1, cmd(V, 0x40)}},
     MIXER_VOLUME, {32, 32, 32, 32, 32, 32, 64, 64, 64, 64, 64, 64}},
    {"J37 arpeggio on the finer periods",
     {{0, cmd(J, 0x37, C4)}, {1, cmd(J, 0)}},
     OUT_PERIOD, {1712, 1440, 1140, 1712, 1440, 1140, 1712, 1440, 1140, 1712, 1440, 1140}},
    {"H41 vibrato in steps of four units, U41 in single ones",
     {{0, cmd(H, 0x41, C4)}, {1, cmd(U, 0x41)}},
     OUT_PERIOD, {1712, 1712, 1715, 1717, 1719, 1719, 1712, 1713, 1713, 1712, 1712, 1711}},
    {"G10 glides toward C-5 by 64 units a tick",
     {{0, cmd(255, 0, C4)}, {1, cmd(G, 0x10, C5)}},
     PERIOD, {1712, 1712, 1712, 1712, 1712, 1712, 1712, 1648, 1584, 1520, 1456, 1392}},
    {"the note-cut cell stops the note",
     {{0, cmd(255, 0, C4)}, {1, s3mCell_T{254}}},
     MIXER_STATUS, {DSM_PLAYING, DSM_PLAYING, DSM_PLAYING, DSM_PLAYING, DSM_PLAYING, DSM_PLAYING,
                    DSM_STOPPED, DSM_STOPPED, DSM_STOPPED, DSM_STOPPED, DSM_STOPPED, DSM_STOPPED}},
    {"X00 hard left, S8F hard right, XA4 surround",
     {{0, cmd(X, 0x00, C4)}, {1, cmd(S, 0x8F)}, {2, cmd(X, 0xA4)}},
     MIXER_PANNING, {-64, -64, -64, -64, -64, -64, 64, 64, 64, 64, 64, 64,
                     DSM_SURROUND, DSM_SURROUND, DSM_SURROUND, DSM_SURROUND, DSM_SURROUND, DSM_SURROUND}},
    // S2F: middle C at 8757 Hz, period 8363 x 1712 / 8757 = 1634 (whole units).
    {"C-4 at middle C 8363 Hz plays at 8363 Hz; S2F raises it",
     {{0, cmd(255, 0, C4)}, {1, cmd(S, 0x2F, C4)}},
     MIXER_RATE, {8363, 8363, 8363, 8363, 8363, 8363, 8762, 8762, 8762, 8762, 8762, 8762}},
};

TEST(S3mPlayer, TickByTick)
{
    for (const Case& c : cases) {
        s3mSong_T song = s3mFx_toneSong();
        song.flags = c.flags;
        for (const auto& [row, cell] : c.rows) {
            s3mCell_T x = cell;
            if (x.command == 255)
                x.command = 0;
            song.patterns[0].cells[row][0] = x;
        }
        s3mPlayer_T p(song);
        ASSERT_NE(p.st, nullptr) << c.name;
        p.ticks(5);                                 // row 0 is read on the sixth tick
        std::vector<int> seen;
        for (size_t t = 0; t < c.expected.size(); t++) {
            p.ticks(1);
            seen.push_back(watch(p, c.field));
        }
        EXPECT_EQ(seen, c.expected) << c.name;
    }
}

TEST(S3mPlayer, SpeedTempoAndBreakToADecimalRow)
{
    s3mSong_T song = s3mFx_toneSong();
    song.orders = {0, 1};
    song.patterns.resize(2);
    song.patterns[0].cells[0][0] = cmd(A, 3);
    song.patterns[0].cells[0][1] = cmd(20, 150);     // T96: tempo 150
    song.patterns[0].cells[1][2] = cmd(3, 0x12);     // C12: row 12 of the next pattern
    s3mPlayer_T p(song);
    p.ticks(6);
    EXPECT_EQ(p.st->speed, 3);
    EXPECT_EQ(p.st->tempo, 150);
    p.ticks(3);
    EXPECT_EQ(p.st->position, 1);
    EXPECT_EQ(p.st->row, 12);
}

// Oxx counts frames: on a 16-bit sample the mixer is given twice the bytes.
TEST(S3mPlayer, OffsetCountsFramesOfSixteenBitSamples)
{
    for (uint8_t flags : {0, 4}) {
        s3mSong_T song = s3mFx_toneSong();
        s3mSample_T& s = song.samples[0];
        s.data.assign(2048, 0x10);
        s.flags = flags;
        s.loopEnd = 0;
        song.patterns[0].cells[0][0] = cmd(15, 0x02, C4);
        song.patterns[0].cells[1][0] = cmd(15, 0, C4);          // O00: the same offset again
        s3mPlayer_T p(song);
        p.ticks(6);
        EXPECT_EQ(dsmChannel[0].pos, 512u) << (int)flags;
        EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);
        p.ticks(6);
        EXPECT_EQ(dsmChannel[0].pos, 512u) << (int)flags;
    }
}

// SB0 marks row 0, SB1 on row 1 plays rows 0 and 1 once more; SE2 on row 2
// holds it for two more rows' time (the loop and delay rules MOD shares).
TEST(S3mPlayer, PatternLoopAndPatternDelay)
{
    s3mSong_T song = s3mFx_toneSong();
    song.patterns[0].cells[0][1] = cmd(S, 0xB0);
    song.patterns[0].cells[1][1] = cmd(S, 0xB1);
    song.patterns[0].cells[2][1] = cmd(S, 0xE2);
    s3mPlayer_T p(song);
    std::vector<int> rows;
    p.ticks(5);
    for (int t = 0; t < 6 * 7; t++) {
        p.ticks(1);
        if (p.st->tick == 0)
            rows.push_back(p.st->row);
    }
    // The next row after each row: 1, then 0 (the loop), 1, 2, and 2 twice
    // more while SE2 repeats it (the row ends after its repeats), then 3.
    EXPECT_EQ(rows, (std::vector<int>{1, 0, 1, 2, 2, 2, 3}));
}

// Tone portamento onto a playing note with another instrument number keeps
// the note's sample and takes only the new sample's volume; without the
// portamento the new sample starts. Row 1 of speed 6, after its first tick.
TEST(S3mPlayer, TonePortamentoWithAnotherSampleKeepsTheSample)
{
    struct Case {
        const char* what;
        uint8_t command;
        bool secondSamplePlays;
        int period;
    } cases[] = {
        {"G10 keeps the first sample and glides", G, false, 1648},
        {"no command starts the second", 0, true, 856},
    };
    for (const Case& c : cases) {
        s3mSong_T song = s3mFx_toneSong();
        song.samples.push_back(song.samples[0]);
        song.samples[1].volume = 32;
        song.patterns[0].cells[0][0] = cmd(255, 0, C4);
        song.patterns[0].cells[0][0].command = 0;
        song.patterns[0].cells[1][0] = {C5, 2, 255, c.command, 0x10};
        s3mPlayer_T p(song);
        p.ticks(6);
        int first = dsmChannel[0].sample;
        p.ticks(7);
        EXPECT_EQ(p.ch(0).outVolume, 32) << c.what;
        EXPECT_EQ(dsmChannel[0].sample != first, c.secondSamplePlays) << c.what;
        EXPECT_EQ(p.ch(0).period, c.period) << c.what;
    }
}

} // namespace
