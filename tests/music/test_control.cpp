// A player program's controls on a playing module: where it is, moving it
// to another order (over the marker orders of the other formats), its
// channels' levels, and the end after the asked number of passes.
#include <gtest/gtest.h>

#include "music/core/gmp.h"
#include "music/mp.h"
#include "music/mp_control.h"
#include "music_fixture.h"
#include "platform/backend_headless.h"

namespace {

// The silent device, with no background play: ticks are run by hand.
struct Playing {
    mpModule_T* m = nullptr;
    int handle = 0;
    explicit Playing(const modSong_T& song)
    {
        pf_setBackend(pf_headlessBackend());
        pf_headlessReset();
        mp_startup();
        mpSettings.forcedDevice = 2;
        EXPECT_EQ(mp_init(), 1);
        m = fx_load(mod_write(song));
        EXPECT_NE(m, nullptr);
        handle = m ? mp_playModule(m, 1) : 0;
        EXPECT_EQ(handle, 1);
    }
    ~Playing()
    {
        mp_close();
        mp_freeModule(m);
        pf_headlessReset();
    }
    mpStatus_T status()
    {
        mpStatus_T s;
        EXPECT_EQ(mp_getStatus(handle, &s), 1);
        return s;
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; i++)
            ASSERT_EQ(gmp_tick(), 0);
    }
};

modSong_T fiveOrders()
{
    modSong_T s = fx_toneSong();
    s.orders = {0, 1, 2, 3, 4};
    s.patterns.resize(5);
    for (int p = 0; p < 5; p++)
        s.patterns[p].cells[0][0] = {mod_notePeriod(2, p), 1, 0, 0};
    return s;
}

TEST(Control, MovesToAnOrderOverMarkers)
{
    struct Case { int from, to, expected; };
    // Order 1 is a skip marker, order 3 an end marker.
    const Case cases[] = {{0, 1, 2}, {2, 1, 0}, {2, 3, 2}, {2, -5, 0}, {0, 99, 4}, {4, 3, 2}};
    for (const Case& c : cases) {
        Playing p(fiveOrders());
        p.m->orders[1] = MP_ORDER_SKIP;
        p.m->orders[3] = MP_ORDER_END;
        ASSERT_EQ(mp_setPosition(p.handle, c.from), 1);
        p.ticks(1);
        ASSERT_EQ(mp_setPosition(p.handle, c.to), 1);
        mpStatus_T s = p.status();
        EXPECT_EQ(s.position, c.expected) << c.from << " to " << c.to;
        EXPECT_EQ(s.pattern, p.m->orders[c.expected]) << c.from << " to " << c.to;
        if (c.expected == c.from) {
            EXPECT_EQ(s.row, 1) << c.from << " to " << c.to << ": play goes on where it was";
            continue;
        }
        EXPECT_EQ(s.row, 0);
        // The order's first row is read on the next tick: its note sounds.
        p.ticks(1);
        EXPECT_EQ(p.status().row, 1) << c.from << " to " << c.to;
        EXPECT_EQ(gmpPlaying[0]->channels[0].period, mod_notePeriod(2, c.expected)) << c.from << " to " << c.to;
    }
}

TEST(Control, LevelsFollowTheChannels)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {428, 1, 0xC, 32};     // half volume
    s.patterns[0].cells[0][2] = {428, 1, 0, 0};        // full volume
    Playing p(s);
    p.ticks(6);
    mpStatus_T st = p.status();
    ASSERT_EQ(st.numChannels, 4);
    // The sine's peak is 100 of 128: 64 x 0.78 and 32 x 0.78, give or take
    // where in its cycle the window starts.
    EXPECT_NEAR(st.levels[2], 50, 3);
    EXPECT_NEAR(st.levels[0], 25, 2);
    EXPECT_EQ(st.levels[1], 0);
    EXPECT_EQ(st.levels[3], 0);
}

TEST(Control, EndsAfterTheAskedPasses)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {428, 1, 0xF, 1};      // speed 1: a pass is 64 ticks
    Playing p(s);
    ASSERT_EQ(mp_setEndLoop(p.handle, 2), 1);
    p.ticks(6 + 63);
    EXPECT_EQ(p.status().loopCount, 1);
    p.ticks(64);
    EXPECT_EQ(p.status().loopCount, 2);
    EXPECT_EQ(p.status().ended, 0);
    EXPECT_GT(p.status().levels[0], 0);
    p.ticks(1);
    mpStatus_T st = p.status();
    EXPECT_EQ(st.ended, 1);
    EXPECT_EQ(st.levels[0], 0) << "the channels fall silent at the end";
    mpStatus_T none;
    EXPECT_EQ(mp_getStatus(2, &none), 0);
    EXPECT_EQ(mp_lastError, MPERR_NOT_PLAYING);
}

TEST(Control, MutedChannelsFallSilentAndComeBack)
{
    modSong_T s = fx_toneSong();
    s.patterns[0].cells[0][0] = {428, 1, 0, 0};
    s.patterns[0].cells[0][2] = {428, 1, 0, 0};
    Playing p(s);
    ASSERT_EQ(mp_muteChannel(p.handle, 2, 1), 1);
    p.ticks(6);
    EXPECT_GT(p.status().levels[0], 0);
    EXPECT_EQ(p.status().levels[2], 0);
    ASSERT_EQ(mp_muteChannel(p.handle, 2, 0), 1);
    p.ticks(1);
    EXPECT_GT(p.status().levels[2], 0) << "the note went on underneath";
    EXPECT_EQ(mp_muteChannel(p.handle, 4, 1), 0);
    EXPECT_EQ(mp_lastError, MPERR_INVALID_CHANNEL);
    EXPECT_EQ(mp_muteChannel(2, 0, 1), 0);
    EXPECT_EQ(mp_lastError, MPERR_NOT_PLAYING);
}

TEST(Control, SkipsForwardBySongTime)
{
    // Speed 1 from the first row on: order k >= 1 starts at tick 5 + 64 k.
    modSong_T s = fiveOrders();
    s.patterns[0].cells[0][1] = {0, 0, 0xF, 1};
    Playing p(s);
    double skipped = 0;
    ASSERT_EQ(mp_skip(p.handle, 3.0, &skipped), 1);
    EXPECT_NEAR(skipped, 3.0, 1e-9);
    mpStatus_T st = p.status();
    EXPECT_EQ(st.position, 2);
    EXPECT_EQ(st.row, 17);
    // Past the end: it stops there and says how far it went.
    ASSERT_EQ(mp_setEndLoop(p.handle, 1), 1);
    ASSERT_EQ(mp_skip(p.handle, 60, &skipped), 1);
    EXPECT_NEAR(skipped, (5 + 5 * 64 + 1) * 0.02 - 3.0, 1e-6);
    EXPECT_EQ(p.status().ended, 1);
}

}  // namespace
