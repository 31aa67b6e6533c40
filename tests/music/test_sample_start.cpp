// Where and which way the sample of a note starts in S3M, XM and IT, row by
// row. The offset command: the offset memory (a zero parameter repeats the
// last), and each tracker's rule for an offset at or past the sample's end
// (its loop end when it loops): Scream Tracker 3 goes round the loop or
// plays nothing, FastTracker 2 plays nothing, Impulse Tracker ignores the
// offset or, with its old effects, starts at the end (nothing, or the
// loop's start); Impulse Tracker's high offset (SAx) adding x times 65536
// frames. The sound control S9F and S9E: backward from where the sample is,
// or from its end on a note's row; forward again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "music/core/gmp.h"
#include "music/mixer/dsm.h"
#include "music/rules/rules.h"
#include "tests/music/it_writer.h"
#include "tests/music/music_fixture.h"
#include "tests/music/s3m_writer.h"
#include "tests/music/xm_writer.h"

namespace {

enum { SILENT = -1 };

// One row of channel 0: a note of sample 1..3 (0: no note) with a command.
// Sample 1 is 70000 frames long, 2 is 600 frames, 3 is 600 frames looping
// from 100 to 500.
struct Row {
    int sample;
    int command;        // the format's own number of the command
    int param;
    int start;          // where the sample plays after the row, or SILENT
    int direction = 1;  // and which way
};

std::vector<int16_t> sampleData(int k) { return std::vector<int16_t>(k == 1 ? 70000 : 600, 40); }

std::vector<uint8_t> itFile(const std::vector<Row>& rows, bool oldEffects)
{
    itSong_T song;
    song.speed = 1;
    if (oldEffects)
        song.flags |= 16;
    for (int k = 1; k <= 3; k++) {
        itSampleW_T s;
        s.data = sampleData(k);
        if (k == 3) {
            s.loop = 1;
            s.loopStart = 100;
            s.loopEnd = 500;
        }
        song.samples.push_back(s);
    }
    itPatternW_T& p = song.patterns[0];
    p.rows = (int)rows.size() + 1;
    p.cells.resize(rows.size(), std::vector<itCellW_T>(1));
    for (size_t r = 0; r < rows.size(); r++)
        p.cells[r][0] = {rows[r].sample ? 60 : -1, rows[r].sample, -1, (uint8_t)rows[r].command, (uint8_t)rows[r].param};
    return it_write(song);
}

std::vector<uint8_t> s3mFile(const std::vector<Row>& rows)
{
    s3mSong_T song;
    song.speed = 1;
    song.orders = {0};
    for (int k = 1; k <= 3; k++) {
        s3mSample_T s;
        s.data.assign(sampleData(k).size(), 40);
        if (k == 3) {
            s.flags = 1;
            s.loopStart = 100;
            s.loopEnd = 500;
        }
        song.samples.push_back(s);
    }
    song.patterns.resize(1);
    for (size_t r = 0; r < rows.size(); r++)
        song.patterns[0].cells[r][0] = {(uint8_t)(rows[r].sample ? 0x40 : 255), (uint8_t)rows[r].sample, 255,
                                        (uint8_t)rows[r].command, (uint8_t)rows[r].param};
    return s3m_write(song);
}

std::vector<uint8_t> xmFile(const std::vector<Row>& rows)
{
    xmSong_T song;
    song.speed = 1;
    for (int k = 1; k <= 3; k++) {
        xmInstrumentW_T in;
        xmSampleW_T s;
        s.data = sampleData(k);
        if (k == 3) {
            s.loop = 1;
            s.loopStart = 100;
            s.loopLength = 400;
        }
        in.samples.push_back(s);
        song.instruments.push_back(in);
    }
    xmPatternW_T& p = song.patterns[0];
    p.rows = (int)rows.size() + 1;
    p.cells.resize(rows.size(), std::vector<xmCell_T>(2));
    for (size_t r = 0; r < rows.size(); r++)
        p.cells[r][0] = {(uint8_t)(rows[r].sample ? 49 : 0), (uint8_t)rows[r].sample, 0, (uint8_t)rows[r].command,
                         (uint8_t)rows[r].param};
    return xm_write(song);
}

// Plays the file one row (one tick at speed 1) at a time and gives where
// channel 0's sample stands after each (nothing is mixed, so that is where
// the row put it) and, when it plays, which way it goes.
std::vector<int> starts(const std::vector<uint8_t>& file, size_t rows, std::vector<int>* directions = nullptr)
{
    EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
    int32_t code = 0;
    mpModule_T* m = fx_load(file, &code);
    EXPECT_NE(m, nullptr) << code;
    std::vector<int> got;
    if (m) {
        int n = gmp_soundChannelsNeeded(m);
        EXPECT_EQ(dsm_openChannels(n), 0);
        std::vector<int> channels(n);
        for (int c = 0; c < n; c++)
            channels[c] = c;
        gmpPlayState_T* st = nullptr;
        EXPECT_EQ(gmp_play(m, gmp_rulesOf(m), -1, -1, -1, 1, 0, channels.data(), &st), 0);
        for (size_t r = 0; r < rows; r++) {
            EXPECT_EQ(gmp_tick(), 0);
            const dsmChannel_T& d = dsmChannel[st->channels[0].soundChannel];
            got.push_back(d.status >= DSM_PLAYING ? (int)d.pos : SILENT);
            if (directions && d.status >= DSM_PLAYING)
                directions->push_back(d.direction);
        }
        gmp_stop(st);
        mp_freeModule(m);
    }
    dsm_close();
    return got;
}

std::vector<int> expected(const std::vector<Row>& rows)
{
    std::vector<int> e;
    for (const Row& r : rows)
        e.push_back(r.start);
    return e;
}

std::vector<int> expectedDirections(const std::vector<Row>& rows)
{
    std::vector<int> e;
    for (const Row& r : rows)
        if (r.start != SILENT)
            e.push_back(r.direction);
    return e;
}

enum { IT_O = 15, IT_S = 19, S3M_O = 15, S3M_S = 19, XM_OFFSET = 9 };

TEST(SampleStart, OffsetsImpulseTracker)
{
    const std::vector<Row> rows = {
        {2, IT_O, 0x01, 256},
        {2, IT_O, 0x03, 0},         // past the end: ignored
        {2, IT_O, 0x00, 0},         // the memory holds 3: ignored again
        {2, IT_O, 0x02, 512},
        {3, IT_O, 0x02, 0},         // past the loop end (500), inside the sample: ignored
        {3, IT_O, 0x01, 256},
        {0, IT_S, 0xA1, 256},       // the high offset alone starts nothing
        {1, IT_O, 0x10, 65536 + 4096},
        {1, IT_O, 0x00, 65536 + 4096},
        {1, IT_O, 0x20, 0},         // 73728: past the end of 70000
    };
    EXPECT_EQ(starts(itFile(rows, false), rows.size()), expected(rows));
}

TEST(SampleStart, OffsetsImpulseTrackerOldEffects)
{
    const std::vector<Row> rows = {
        {2, IT_O, 0x01, 256},
        {2, IT_O, 0x03, SILENT},    // starts at the end: nothing
        {2, IT_O, 0x00, SILENT},
        {3, IT_O, 0x02, 100},       // at the loop's end: on from its start
        {3, IT_O, 0x01, 256},
    };
    EXPECT_EQ(starts(itFile(rows, true), rows.size()), expected(rows));
}

TEST(SampleStart, OffsetsScreamTracker3)
{
    const std::vector<Row> rows = {
        {2, S3M_O, 0x01, 256},
        {2, S3M_O, 0x03, SILENT},   // past the end of a sample without a loop
        {2, S3M_O, 0x00, SILENT},
        {2, S3M_O, 0x02, 512},
        {3, S3M_O, 0x03, 368},      // 768 goes round the loop of 400 from 100
        {3, S3M_O, 0x02, 112},      // 512: once round
        {3, S3M_O, 0x00, 112},
        {3, S3M_O, 0x01, 256},
    };
    EXPECT_EQ(starts(s3mFile(rows), rows.size()), expected(rows));
}

TEST(SampleStart, OffsetsFastTracker2)
{
    const std::vector<Row> rows = {
        {2, XM_OFFSET, 0x01, 256},
        {2, XM_OFFSET, 0x03, SILENT},
        {2, XM_OFFSET, 0x00, SILENT},
        {2, XM_OFFSET, 0x02, 512},
        {3, XM_OFFSET, 0x02, SILENT},   // past the loop end (500): nothing either
        {3, XM_OFFSET, 0x01, 256},
        {3, XM_OFFSET, 0x00, 256},
    };
    EXPECT_EQ(starts(xmFile(rows), rows.size()), expected(rows));
}

// The same rows in IT and S3M files: S9F with a note starts at the
// sample's last frame (its loop's last with a loop), alone it turns the
// sample where it is; S9E turns it forward, and a new note plays forward.
TEST(SampleStart, SoundControlPlaysBackward)
{
    const std::vector<Row> rows = {
        {1, IT_S, 0x9F, 69999, -1},
        {0, IT_S, 0x9E, 69999, 1},
        {3, IT_S, 0x9F, 499, -1},
        {2, 0, 0, 0, 1},
        {0, IT_S, 0x9F, 0, -1},
        {0, IT_S, 0x91, 0, -1},     // surround: no change of way
    };
    static_assert(IT_S == S3M_S, "one table serves both formats");
    for (const std::vector<uint8_t>& file : {itFile(rows, false), s3mFile(rows)}) {
        std::vector<int> directions;
        EXPECT_EQ(starts(file, rows.size(), &directions), expected(rows));
        EXPECT_EQ(directions, expectedDirections(rows));
    }
}

} // namespace
