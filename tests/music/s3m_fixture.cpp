#include "s3m_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

#include "music/mixer/dsm.h"
#include "music/rules/rules.h"
#include "music_fixture.h"

s3mSong_T s3mFx_toneSong()
{
    s3mSong_T song;
    song.title = "tone";
    s3mSample_T s;
    s.name = "sine";
    for (int i = 0; i < 256; i++)
        s.data.push_back((uint8_t)(int8_t)std::lround(100.0 * std::sin(2.0 * M_PI * i / 64)));
    s.flags = 1;
    s.loopStart = 0;
    s.loopEnd = 256;
    song.samples.push_back(s);
    song.orders = {0};
    song.patterns.resize(1);
    return song;
}

s3mPlayer_T::s3mPlayer_T(const s3mSong_T& song)
{
    m = fx_load(s3m_write(song));
    EXPECT_NE(m, nullptr);
    if (!m)
        return;
    EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
    EXPECT_EQ(dsm_openChannels(m->numChannels), 0);
    int channels[MP_MAX_CHANNELS];
    for (int c = 0; c < MP_MAX_CHANNELS; c++)
        channels[c] = c;
    EXPECT_EQ(gmp_play(m, gmp_rulesOf(m), -1, -1, -1, 1, 0, channels, &st), 0);
}

s3mPlayer_T::~s3mPlayer_T()
{
    if (st)
        gmp_stop(st);
    mp_freeModule(m);
    dsm_close();
}

void s3mPlayer_T::ticks(int n)
{
    for (int i = 0; i < n; i++)
        ASSERT_EQ(gmp_tick(), 0);
}
