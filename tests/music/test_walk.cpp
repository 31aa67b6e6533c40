// The song walk: how long a song plays, measured without mixing, following
// the order list the way the player does; and the render that stops at the
// same frame.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_render.h"
#include "music/mp_info.h"
#include "music/mp_walk.h"
#include "it_writer.h"
#include "music_fixture.h"
#include "s3m_fixture.h"

namespace {

// At tempo 125 a tick is 882 frames; 250 halves it (441: the renderer counts
// whole frames a tick).
const uint64_t T125 = 882, T250 = 441;
// A song starts after speed - 1 ticks (5 at speed 6) and a row lasts 6 ticks.
uint64_t rows(uint64_t n, uint64_t tick = T125) { return n * 6 * tick; }
const uint64_t LEAD = 5 * T125;

void put(modSong_T& s, int pattern, int row, int channel, uint8_t effect, uint8_t param)
{
    if ((int)s.patterns.size() <= pattern)
        s.patterns.resize(pattern + 1);
    s.patterns[pattern].cells[row][channel] = {0, 0, effect, param};
}

struct Case {
    const char* what;
    std::function<void(modSong_T&)> build;
    int loops;
    uint64_t frames;            // expected length
    int ended;
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> table = {
        {"one pattern", [](modSong_T&) {}, 1, LEAD + rows(64), 1},
        {"position jump over the middle pattern",
         [](modSong_T& s) { s.orders = {0, 1, 2}; put(s, 0, 3, 0, 0xB, 2); put(s, 2, 0, 0, 0, 0); },
         1, LEAD + rows(4 + 64), 1},
        {"pattern break to row 16 (decimal parameter)",
         [](modSong_T& s) { s.orders = {0, 1}; put(s, 0, 9, 1, 0xD, 0x16); },
         1, LEAD + rows(10 + 48), 1},
        {"pattern loop: rows 2 to 5 twice more",
         [](modSong_T& s) { put(s, 0, 2, 0, 0xE, 0x60); put(s, 0, 5, 0, 0xE, 0x62); },
         1, LEAD + rows(64 + 8), 1},
        {"pattern delay: row 10 three times more",
         [](modSong_T& s) { put(s, 0, 10, 2, 0xE, 0xE3); },
         1, LEAD + rows(64 + 3), 1},
        {"tempo 250 from row 32", [](modSong_T& s) { put(s, 0, 32, 0, 0xF, 0xFA); },
         1, LEAD + rows(32) + rows(32, T250), 1},
        {"the last row's pattern delay plays out", [](modSong_T& s) { put(s, 0, 63, 0, 0xE, 0xEF); },
         1, LEAD + rows(63 + 16), 1},
        {"the last row's speed 31 plays out", [](modSong_T& s) { put(s, 0, 63, 0, 0xF, 31); },
         1, LEAD + rows(63) + 31 * T125, 1},
        {"a jump back ends the pass", [](modSong_T& s) { s.orders = {0, 1}; put(s, 1, 20, 3, 0xB, 0); },
         1, LEAD + rows(64 + 21), 1},
        {"two passes, the second from the restart position",
         [](modSong_T& s) { s.orders = {0, 1}; s.restart = 1; s.patterns.resize(2); },
         2, LEAD + rows(128 + 64), 1},
        // The delay's repeat runs the loop command again: the loop goes back
        // on the row's first play and runs out on the repeat, which
        // ProTracker would do on every pass for ever; play leaves it for the
        // next order (the song's end), after rows 0 to 8 and row 8's repeat,
        // as openmpt123 plays it (1.30 s both).
        {"a loop that never runs out leaves for the next order",
         [](modSong_T& s) { put(s, 0, 8, 0, 0xE, 0x61); put(s, 0, 8, 1, 0xE, 0xE1); },
         1, LEAD + rows(9 + 1), 1},
        {"a song longer than the cap is cut there",
         [](modSong_T& s) { s.orders.assign(128, 0); put(s, 0, 0, 0, 0xF, 31); put(s, 0, 0, 1, 0xF, 32); },
         1, 60 * 44100ull, 0},
    };
    return table;
}

TEST(SongWalk, LengthsFollowTheSong)
{
    for (const Case& c : cases()) {
        modSong_T song = fx_toneSong();
        c.build(song);
        mpModule_T* m = fx_load(mod_write(song));
        ASSERT_NE(m, nullptr) << c.what;
        mpwSong_T walk;
        ASSERT_EQ(mpw_walk(m, c.loops, 60, &walk), 0) << c.what;
        EXPECT_EQ(walk.frames, c.frames) << c.what;
        EXPECT_EQ(walk.ended, c.ended) << c.what;
        EXPECT_EQ(walk.passFrames.size(), (size_t)(c.ended ? c.loops : 1)) << c.what;
        mp_freeModule(m);
    }
}

// The render stops where the walk says the song ends, to the frame, on
// either mixing path.
TEST(SongWalk, RenderEndsWhereTheWalkEnds)
{
    std::vector<int16_t> block(2 * 10000);
    for (const Case& c : cases()) {
        if (!c.ended)
            continue;
        for (int path : {DSM_INTEGER, DSM_FLOAT}) {
            modSong_T song = fx_toneSong();
            song.patterns.resize(1);
            c.build(song);
            song.patterns[0].cells[0][0].period = 428;
            song.patterns[0].cells[0][0].sample = 1;
            mpModule_T* m = fx_load(mod_write(song));
            ASSERT_NE(m, nullptr) << c.what;
            ASSERT_EQ(mpr_start(m, 44100, path, 1), 0);
            mpr_setEndLoop(c.loops);
            uint64_t total = 0;
            uint32_t got = 0;
            do {
                ASSERT_EQ(mpr_renderSong(block.data(), 10000, &got), 0) << c.what;
                total += got;
            } while (got == 10000 && total < 44100ull * 120);
            EXPECT_EQ(total, c.frames) << c.what << ", path " << path;
            // The note still sounds in the last frames: nothing was cut short.
            int loud = 0;
            for (uint32_t i = got > 100 ? got - 100 : 0; i < got; i++)
                loud += block[2 * i] != 0;
            EXPECT_GT(loud, 50) << c.what;
            mpr_stop();
            mp_freeModule(m);
        }
    }
}

TEST(SongWalk, WhereOrdersAndPassesStart)
{
    modSong_T song = fx_toneSong();
    song.orders = {0, 1, 2, 1};
    put(song, 0, 3, 0, 0xB, 2);
    put(song, 2, 0, 0, 0, 0);
    mpModule_T* m = fx_load(mod_write(song));
    ASSERT_NE(m, nullptr);
    mpwSong_T walk;
    ASSERT_EQ(mpw_walk(m, 1, 60, &walk), 0);
    EXPECT_EQ(walk.orderFrames, (std::vector<int64_t>{(int64_t)LEAD, -1, (int64_t)(LEAD + rows(4)),
                                                      (int64_t)(LEAD + rows(4 + 64))}));
    mp_freeModule(m);

    song = fx_toneSong();
    song.orders = {0, 1};
    song.restart = 1;
    song.patterns.resize(2);
    m = fx_load(mod_write(song));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(mpw_walk(m, 3, 60, &walk), 0);
    EXPECT_EQ(walk.passFrames, (std::vector<uint64_t>{0, LEAD + rows(128), LEAD + rows(192)}));
    EXPECT_EQ(walk.frames, LEAD + rows(256));
    mp_freeModule(m);
}

}  // namespace

// A loop end on a row that a row delay repeats: Scream Tracker 3 runs the
// loop command again on the repeat, so the loop goes back on the row's first
// play and runs out on its second, which sends play on to the next pattern:
// here the song's end, after rows 0 to 8 and row 8's repeat, 10 rows, as
// openmpt123 plays it (1.30 s both, by modcompare.py).
TEST(SongWalk, ALoopEndOnARepeatedRowLeavesThePatternInS3m)
{
    s3mSong_T song = s3mFx_toneSong();
    song.patterns[0].cells[8][0].command = 19, song.patterns[0].cells[8][0].param = 0xB1;
    song.patterns[0].cells[8][1].command = 19, song.patterns[0].cells[8][1].param = 0xE1;
    std::vector<uint8_t> bytes = s3m_write(song);
    mpModule_T* m = fx_load(bytes);
    ASSERT_NE(m, nullptr);
    mpwSong_T walk;
    ASSERT_EQ(mpw_walk(m, 1, 60, &walk), 0);
    EXPECT_EQ(walk.ended, 1);
    EXPECT_EQ(walk.frames, LEAD + rows(9 + 1));
    mpwSong_T twice;
    ASSERT_EQ(mpw_walk(m, 2, 60, &twice), 0);
    EXPECT_EQ(twice.ended, 1);
    ASSERT_EQ(twice.passFrames.size(), 2u);
    EXPECT_EQ(twice.passFrames[1], walk.frames);
    mp_freeModule(m);
}

// An order list of three songs, two of them after end markers and one with
// an order no song reaches: each song is found once, from its first order,
// and walked to its own end, in both formats whose lists have end markers.
std::vector<uint8_t> threeSongsS3m()
{
    s3mSong_T song = s3mFx_toneSong();
    song.patterns.resize(3);
    song.patterns[2].cells[15][0].command = 3;     // C00 on row 15: 16 rows, then on
    song.orders = {0, 255, 1, 1, 255, 2, 0};
    return s3m_write(song);
}

std::vector<uint8_t> threeSongsIt()
{
    itSong_T song;
    song.patterns.resize(3);
    song.patterns[2].cells.resize(16, std::vector<itCellW_T>(1));
    song.patterns[2].cells[15][0].command = 3;     // C00 on row 15
    song.orders = {0, 255, 1, 1, 255, 2, 0, 255};
    return it_write(song);
}

TEST(SongWalk, FindsTheSongsOfAnOrderList)
{
    for (const auto& file : {threeSongsS3m(), threeSongsIt()}) {
        mpModule_T* m = fx_load(file);
        ASSERT_NE(m, nullptr);
        SCOPED_TRACE(mp_formatName(m));
        std::vector<mpwSubsong_T> subs;
        ASSERT_EQ(mpw_subsongs(m, 60, &subs), 0);
        ASSERT_EQ(subs.size(), 3u);
        const int firsts[3] = {0, 2, 5};
        const uint64_t lengths[3] = {64, 128, 16 + 64};
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(subs[i].first, firsts[i]) << i;
            EXPECT_EQ(subs[i].song.ended, 1) << i;
            EXPECT_NEAR((double)subs[i].song.frames, (double)(LEAD + rows(lengths[i])), (double)LEAD) << i;
        }
        mp_freeModule(m);
    }
}
