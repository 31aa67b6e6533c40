// The song's flow as each tracker plays it: pattern loops, breaks and jumps
// on one row, loops in several channels, row delays on a loop's rows, and
// the row the next pattern starts on. Each case is a small S3M, XM or IT
// file; the expected rows are the ones openmpt123 plays for the same file
// (compared by the pitch of channel 0, which differs from row to row).
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_render.h"
#include "tests/music/flow_song.h"
#include "tests/music/it_writer.h"
#include "tests/music/music_fixture.h"
#include "tests/music/s3m_fixture.h"
#include "tests/music/xm_writer.h"

namespace {

using Rows = std::vector<std::pair<int, int>>;   // (order position, row) in the order read

// Rows first..last of order position `order`, for each span in turn.
struct span_T {
    int order, first, last;
};
Rows spans(std::initializer_list<span_T> list)
{
    Rows out;
    for (const span_T& s : list)
        for (int r = s.first; r <= s.last; r++)
            out.push_back({s.order, r});
    return out;
}

// The rows a song's first pass reads, in order (a row a delay repeats once).
Rows rowsRead(const std::vector<uint8_t>& bytes, mpModule_T** keep = nullptr)
{
    Rows seen;
    mpModule_T* m = fx_load(bytes);
    EXPECT_NE(m, nullptr);
    if (!m)
        return seen;
    EXPECT_EQ(mpr_start(m, 44100, DSM_INTEGER, 1), MPERR_OK);
    mpr_setEndLoop(1);
    const gmpPlayState_T* st = mpr_state();
    for (int t = 0; t < 20000; t++) {
        bool reads = gmp_rowIsDue(st);
        std::pair<int, int> at = {st->position, st->row};
        uint32_t frames = 0;
        if (mpr_tick(&frames) != MPERR_OK || frames == 0)
            break;
        if (reads)
            seen.push_back(at);
    }
    mpr_stop();
    if (keep)
        *keep = m;
    else
        mp_freeModule(m);
    return seen;
}

flowSong_T song(std::vector<int> orders, std::vector<flowCmd_T> cmds)
{
    flowSong_T s;
    s.orders = orders;
    s.patterns = (int)orders.size();
    s.cmds = cmds;
    return s;
}

struct flowCase_T {
    const char* what;
    flowSong_T song;
    Rows expected;
};

void expectRows(flowFormat_E format, const std::vector<flowCase_T>& cases)
{
    for (const flowCase_T& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rowsRead(flow_write(c.song, format, flowTracker_T())), c.expected);
    }
}

// Channel 1 (and 2, 3) commands on pattern 0.
flowCmd_T loopAt(int row, int x, int channel = 1) { return {0, row, channel, FLOW_LOOP, x}; }
flowCmd_T breakAt(int row, int to, int channel) { return {0, row, channel, FLOW_BREAK, to}; }
flowCmd_T jumpAt(int row, int to, int channel) { return {0, row, channel, FLOW_JUMP, to}; }
flowCmd_T delayAt(int row, int x, int channel = 2) { return {0, row, channel, FLOW_ROW_DELAY, x}; }

// Scream Tracker 3 keeps one loop for all channels; a loop that has run out
// starts the next just past itself, and each new pattern starts it at row
// 0; a loop going back wins over a break and a jump on its row; a loop that
// goes back and runs out on one row (a second channel, a delay's repeat)
// leaves the pattern.
TEST(SongFlow, ScreamTracker3)
{
    expectRows(FLOW_S3M, {
        {"loop twice", song({0, 1}, {loopAt(1, 0), loopAt(3, 2)}),
         spans({{0, 0, 3}, {0, 1, 3}, {0, 1, 63}, {1, 0, 63}})},
        {"a second loop end goes back to just past the first",
         song({0, 1}, {loopAt(2, 0), loopAt(4, 1), loopAt(7, 1)}),
         spans({{0, 0, 4}, {0, 2, 7}, {0, 5, 63}, {1, 0, 63}})},
        {"a new pattern starts the loop at row 0",
         song({0, 1}, {loopAt(4, 0), loopAt(6, 1), {1, 2, 1, FLOW_LOOP, 1}}),
         spans({{0, 0, 6}, {0, 4, 63}, {1, 0, 2}, {1, 0, 63}})},
        {"two channels' loops share one start and count",
         song({0, 1}, {loopAt(0, 0), loopAt(5, 1), loopAt(2, 0, 2), loopAt(3, 2, 2)}),
         spans({{0, 0, 3}, {0, 2, 3}, {0, 2, 5}, {0, 4, 63}, {1, 0, 63}})},
        {"one channel goes back, the other runs the shared count out",
         song({0, 1}, {loopAt(0, 0), loopAt(3, 1), loopAt(2, 0, 2), loopAt(3, 2, 2)}),
         spans({{0, 0, 3}, {1, 0, 63}})},
        {"a loop before a break on its row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2)}),
         spans({{0, 0, 5}, {0, 2, 5}, {1, 3, 63}, {2, 0, 63}})},
        {"a loop before a break and a jump on its row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2), jumpAt(5, 2, 3)}),
         spans({{0, 0, 5}, {0, 2, 5}, {2, 3, 63}})},
        {"a loop start on row 0 with a row delay",
         song({0, 1}, {loopAt(0, 0), delayAt(0, 2), loopAt(3, 1)}),
         spans({{0, 0, 3}, {0, 0, 63}, {1, 0, 63}})},
        {"a loop end with a row delay: back, then run out on the repeat",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 1), delayAt(3, 1)}),
         spans({{0, 0, 3}, {1, 0, 63}})},
        {"a loop end with a row delay, counted on each play",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 2), delayAt(3, 1)}),
         spans({{0, 0, 3}, {0, 1, 3}, {0, 4, 63}, {1, 0, 63}})},
    });
}

// Impulse Tracker keeps a loop per channel, started just past itself once
// it has run out and not reset by a new pattern; a jump wins over a loop
// going back, which wins over a break; the last channel's loop going back
// is the one taken.
TEST(SongFlow, ImpulseTracker)
{
    expectRows(FLOW_IT, {
        {"loop twice", song({0, 1}, {loopAt(1, 0), loopAt(3, 2)}),
         spans({{0, 0, 3}, {0, 1, 3}, {0, 1, 15}, {1, 0, 15}})},
        {"a second loop end goes back to just past the first",
         song({0, 1}, {loopAt(2, 0), loopAt(4, 1), loopAt(7, 1)}),
         spans({{0, 0, 4}, {0, 2, 7}, {0, 5, 15}, {1, 0, 15}})},
        {"the start past a finished loop carries into the next pattern",
         song({0, 1}, {loopAt(4, 0), loopAt(6, 1), {1, 2, 1, FLOW_LOOP, 1}}),
         spans({{0, 0, 6}, {0, 4, 15}, {1, 0, 2}, {1, 7, 15}})},
        {"two channels' loops end on one row",
         song({0, 1}, {loopAt(0, 0), loopAt(3, 1), loopAt(2, 0, 2), loopAt(3, 2, 2)}),
         spans({{0, 0, 3}, {0, 2, 3}, {0, 2, 15}, {1, 0, 15}})},
        {"a loop before a break on its row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2)}),
         spans({{0, 0, 5}, {0, 2, 5}, {1, 3, 15}, {2, 0, 15}})},
        {"a break before a loop on its row",
         song({0, 1, 2}, {loopAt(2, 0, 2), loopAt(5, 1, 2), breakAt(5, 3, 1)}),
         spans({{0, 0, 5}, {0, 2, 5}, {1, 3, 15}, {2, 0, 15}})},
        {"a jump wins over a loop", song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), jumpAt(5, 2, 2)}),
         spans({{0, 0, 5}, {2, 0, 15}})},
        {"a loop, a break and a jump on one row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2), jumpAt(5, 2, 3)}),
         spans({{0, 0, 5}, {2, 3, 15}})},
        {"a loop start on row 0 with a row delay",
         song({0, 1}, {loopAt(0, 0), delayAt(0, 2), loopAt(3, 1)}),
         spans({{0, 0, 3}, {0, 0, 15}, {1, 0, 15}})},
        {"a loop end with a row delay: back, then run out on the repeat",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 1), delayAt(3, 1)}),
         spans({{0, 0, 3}, {1, 0, 15}})},
        {"a loop end with two repeats: back, run out, then on from past it",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 1), delayAt(3, 2)}),
         spans({{0, 0, 15}, {1, 0, 15}})},
    });
}

// FastTracker 2 keeps a loop per channel; a loop going back and a break
// share one row number, the last written winning, a jump clearing it; a
// pattern that ends without a break starts the next one on that row; a
// loop going back from a delayed row lands one row past its start.
TEST(SongFlow, FastTracker2)
{
    expectRows(FLOW_XM, {
        {"loop twice, and the next pattern starts on the loop's row",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 2)}),
         spans({{0, 0, 3}, {0, 1, 3}, {0, 1, 15}, {1, 1, 15}})},
        {"the loop's row carries past a pattern end",
         song({0, 1}, {loopAt(4, 0), loopAt(6, 1), {1, 2, 1, FLOW_LOOP, 1}}),
         spans({{0, 0, 6}, {0, 4, 15}, {1, 4, 15}})},
        {"a break after the loop takes its own row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(4, 1), breakAt(5, 0, 2)}),
         spans({{0, 0, 4}, {0, 2, 5}, {1, 0, 15}, {2, 0, 15}})},
        {"a loop before a break: the break's row", song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2)}),
         spans({{0, 0, 5}, {1, 3, 15}, {2, 0, 15}})},
        {"a break before a loop: the loop's row",
         song({0, 1, 2}, {loopAt(2, 0, 2), loopAt(5, 1, 2), breakAt(5, 3, 1)}),
         spans({{0, 0, 5}, {1, 2, 15}, {2, 0, 15}})},
        {"a loop before a jump: row 0", song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), jumpAt(5, 2, 2)}),
         spans({{0, 0, 5}, {2, 0, 15}})},
        {"a loop start on row 0 with a row delay",
         song({0, 1}, {loopAt(0, 0), delayAt(0, 2), loopAt(3, 1)}),
         spans({{0, 0, 3}, {0, 0, 15}, {1, 0, 15}})},
        {"a loop end with a row delay lands past the loop's start",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 1), delayAt(3, 1)}),
         spans({{0, 0, 3}, {0, 2, 15}, {1, 1, 15}})},
    });
}

// ProTracker keeps a loop per channel; a loop going back wins over a break
// and a jump on its row, and a jump clears the row a break named before it;
// a loop, break or jump from a delayed row lands one row further on.
TEST(SongFlow, ProTracker)
{
    expectRows(FLOW_MOD, {
        {"loop twice", song({0, 1}, {loopAt(1, 0), loopAt(3, 2)}),
         spans({{0, 0, 3}, {0, 1, 3}, {0, 1, 63}, {1, 0, 63}})},
        {"a loop before a break on its row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2)}),
         spans({{0, 0, 5}, {0, 2, 5}, {1, 3, 63}, {2, 0, 63}})},
        {"a break before a loop on its row",
         song({0, 1, 2}, {loopAt(2, 0, 2), loopAt(5, 1, 2), breakAt(5, 3, 1)}),
         spans({{0, 0, 5}, {0, 2, 5}, {1, 3, 63}, {2, 0, 63}})},
        {"a loop before a jump", song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), jumpAt(5, 2, 2)}),
         spans({{0, 0, 5}, {0, 2, 5}, {2, 0, 63}})},
        {"a loop, a break and a jump: the jump clears the break's row",
         song({0, 1, 2}, {loopAt(2, 0), loopAt(5, 1), breakAt(5, 3, 2), jumpAt(5, 2, 3)}),
         spans({{0, 0, 5}, {0, 2, 5}, {2, 0, 63}})},
        {"a break from a delayed row", song({0, 1}, {breakAt(5, 3, 1), delayAt(5, 1)}),
         spans({{0, 0, 5}, {1, 4, 63}})},
        {"a jump from a delayed row", song({0, 1, 2}, {jumpAt(5, 2, 1), delayAt(5, 1)}),
         spans({{0, 0, 5}, {2, 1, 63}})},
        {"a loop start on row 0 with a row delay",
         song({0, 1}, {loopAt(0, 0), delayAt(0, 2), loopAt(3, 1)}),
         spans({{0, 0, 3}, {0, 0, 63}, {1, 0, 63}})},
        {"a loop end on a delayed row: past the start, until it never ends",
         song({0, 1}, {loopAt(1, 0), loopAt(3, 2), delayAt(3, 1)}),
         spans({{0, 0, 3}, {0, 2, 3}, {0, 2, 3}, {1, 0, 63}})},
    });
}

// A loop end met again with no loop start between goes back for ever in
// ProTracker and FastTracker 2: where the flow comes round to a state it
// has met (row 2, counted as before), play goes on at the next order at the
// song's first speed, as openmpt123 plays it.
TEST(SongFlow, ALoopThatNeverRunsOutIsLeftForTheNextOrder)
{
    struct Case {
        flowFormat_E format;
        int rows;
        int speed;              // the module's first speed
    };
    for (Case c : {Case{FLOW_XM, 16, 4}, Case{FLOW_MOD, 64, 6}}) {
        SCOPED_TRACE(c.format);
        flowSong_T s = song({0, 1}, {{0, 0, 3, FLOW_SPEED, 3}, loopAt(2, 0), loopAt(4, 1), loopAt(7, 1)});
        mpModule_T* m = fx_load(flow_write(s, c.format, flowTracker_T()));
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->speed, c.speed);
        ASSERT_EQ(mpr_start(m, 44100, DSM_INTEGER, 1), MPERR_OK);
        mpr_setEndLoop(1);
        const gmpPlayState_T* st = mpr_state();
        Rows rows;
        std::vector<int> speeds;
        uint32_t frames = 1;
        for (int t = 0; t < 20000 && frames; t++) {
            bool reads = gmp_rowIsDue(st);
            std::pair<int, int> at = {st->position, st->row};
            ASSERT_EQ(mpr_tick(&frames), MPERR_OK);
            if (reads && frames) {
                rows.push_back(at);
                speeds.push_back(st->speed);    // the speed the row plays at
            }
        }
        EXPECT_EQ(rows, spans({{0, 0, 4}, {0, 2, 7}, {1, 0, c.rows - 1}}));
        EXPECT_EQ(speeds[10], 3);               // order 0 row 7, at the speed row 0 set
        EXPECT_EQ(speeds[11], c.speed);         // order 1 row 0: the first speed again
        mpr_stop();
        mp_freeModule(m);
    }
}

// An XM order naming a pattern the file lacks is passed over, as
// openmpt123 plays it (satisfy.xm's last order names pattern 17 of 17).
TEST(SongFlow, AnXmOrderNamingAMissingPatternIsPassedOver)
{
    flowSong_T s = song({0, 1}, {});
    s.orders = {0, 7, 1};
    mpModule_T* m = nullptr;
    Rows rows = rowsRead(flow_write(s, FLOW_XM, flowTracker_T()), &m);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->orders, (std::vector<uint16_t>{0, MP_ORDER_SKIP, 1}));
    EXPECT_EQ(m->numPatterns, 2u);
    EXPECT_EQ(rows, spans({{0, 0, 15}, {2, 0, 15}}));
    mp_freeModule(m);
}

// The reader names the tracker that wrote the file and the flow rules it
// plays by.
TEST(SongFlow, TheReaderNamesTheTrackerAndItsRules)
{
    struct Case {
        flowFormat_E format;
        flowTracker_T tracker;
        const char* name;
        uint32_t rules;
    };
    flowTracker_T st300, openmptS3m, it100, openmptIt, openmptXm;
    st300.s3mVersion = 0x1300;
    openmptS3m.s3mVersion = 0x5131;
    it100.itCreated = it100.itCompatible = 0x0100;
    openmptIt.itCreated = 0x5131;
    openmptXm.xmName = "OpenMPT 1.31";
    const Case cases[] = {
        {FLOW_S3M, flowTracker_T(), "Scream Tracker 3.20", MP_FLOW_ST3},
        {FLOW_S3M, st300, "Scream Tracker 3.00", MP_FLOW_ST3},
        {FLOW_S3M, openmptS3m, "OpenMPT", MP_FLOW_ST3},
        {FLOW_IT, flowTracker_T(), "Impulse Tracker 2.14", MP_FLOW_IT},
        {FLOW_IT, it100, "Impulse Tracker 1.00", MP_FLOW_IT},
        {FLOW_IT, openmptIt, "OpenMPT", MP_FLOW_IT},
        {FLOW_XM, flowTracker_T(), "FastTracker v2.00", MP_FLOW_FT2},
        {FLOW_XM, openmptXm, "OpenMPT 1.31", MP_FLOW_FT2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mpModule_T* m = fx_load(flow_write(song({0}, {}), c.format, c.tracker));
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->tracker, c.name);
        EXPECT_EQ(m->flowRules, c.rules);
        mp_freeModule(m);
    }
}

// Editors that save as another tracker are told by the fields that tracker
// always fills in its own way.
TEST(SongFlow, TheReaderSeesThroughEditorsSavingAsAnotherTracker)
{
    s3mSong_T st3 = s3mFx_toneSong(), modplugS3m = st3, otherS3m = st3;
    modplugS3m.ultraClick = otherS3m.ultraClick = 0;
    modplugS3m.panTable = true;
    modplugS3m.orders.resize(16, 255);
    xmSong_T ft2, modplugXm, modplug10, digi;
    ft2.tracker = modplugXm.tracker = "FastTracker v2.00";
    ft2.titlePad = ' ';
    modplug10.tracker = "FastTracker v 2.00";
    digi.tracker = "*Converted MOD-File";
    itSong_T it214, unmo3;
    unmo3.highlightBeat = unmo3.highlightMeasure = 0;
    struct Case {
        std::vector<uint8_t> file;
        const char* name;
    } cases[] = {
        {s3m_write(st3), "Scream Tracker 3.20"},
        {s3m_write(modplugS3m), "ModPlug Tracker (saved as Scream Tracker 3.20)"},
        {s3m_write(otherS3m), "another editor (saved as Scream Tracker 3.20)"},
        {xm_write(ft2), "FastTracker v2.00"},
        {xm_write(modplugXm), "ModPlug Tracker (saved as FastTracker v2.00)"},
        {xm_write(modplug10), "ModPlug Tracker 1.0 (saved as FastTracker v2.00)"},
        {xm_write(digi), "DigiTrakker"},
        {it_write(it214), "Impulse Tracker 2.14"},
        {it_write(unmo3), "UNMO3 (saved as Impulse Tracker 2.14)"},
    };
    for (const Case& c : cases) {
        mpModule_T* m = fx_load(c.file);
        ASSERT_NE(m, nullptr) << c.name;
        EXPECT_EQ(m->tracker, c.name);
        mp_freeModule(m);
    }
}

}  // namespace
