// The software mixer on hand-made samples: volume and panning law,
// amplification, stepping, loops and ends, sample changes, filters and the
// output conversion, on both numeric paths.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

namespace {

// A mixer at 44100 Hz stereo on the chosen path with n channels, no filter.
struct MixerFixture {
    std::vector<int> handles;
    MixerFixture(int path, int channels, int mode = DSM_16BIT | DSM_STEREO)
    {
        EXPECT_EQ(dsm_init(44100, mode | path), 0);
        EXPECT_EQ(dsm_openChannels(channels), 0);
        dsmFilterMode = 0;
    }
    ~MixerFixture()
    {
        for (int h : handles)
            dsm_removeSample(h);
        dsm_close();
    }
    int add(const std::vector<uint8_t>& data, int loopMode = DSM_LOOP_NONE, uint32_t loopStart = 0, uint32_t loopEnd = 0)
    {
        dsmSampleDesc_T d = {};
        d.data = data.data();
        d.type = DSM_SMP_8BIT;
        d.length = (uint32_t)data.size();
        d.loopMode = loopMode;
        d.loop1Start = loopStart;
        d.loop1End = loopEnd;
        d.loop1Type = loopMode == DSM_LOOP_TRACKER ? DSM_LT_FORWARD : DSM_LT_NONE;
        int h = 0;
        EXPECT_EQ(dsm_addSample(&d, 1, &h), 0);
        handles.push_back(h);
        return h;
    }
    void play(int ch, int handle, uint32_t rate = 44100, int volume = 64, int panning = 0)
    {
        EXPECT_EQ(dsm_setSample(ch, handle), 0);
        EXPECT_EQ(dsm_setVolume(ch, volume), 0);
        EXPECT_EQ(dsm_setPanning(ch, panning), 0);
        EXPECT_EQ(dsm_playSound(ch, rate), 0);
    }
    std::vector<int16_t> mix(uint32_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        dsm_mix(frames, out.data());
        return out;
    }
};

const int paths[2] = {DSM_INTEGER, DSM_FLOAT};

TEST(Mixer, AmplificationByChannelCount)
{
    struct Case { int channels, amp; };
    for (Case c : {Case{1, 64}, Case{4, 64}, Case{5, 70}, Case{8, 112}, Case{32, 448}}) {
        MixerFixture mx(DSM_INTEGER, c.channels);
        EXPECT_EQ(dsmAmplification, c.amp) << c.channels;
    }
}

TEST(Mixer, FullScaleAndPanningLaw)
{
    struct Case { int balanced, panning; int left, right; };
    // Value 255 at volume 64, master 64, one channel. The default law keeps
    // the near side full; the balanced one halves both sides in the centre.
    const Case cases[] = {{0, 0, 32512, 32512}, {0, 64, 0, 32512},      {0, -64, 32512, 0},
                          {0, 128, 32512, -32512}, {0, 32, 16256, 32512}, {1, 0, 16256, 16256},
                          {1, 64, 0, 32512},      {1, -64, 32512, 0},     {1, 128, 16256, -16256},
                          {1, 32, 8128, 24384},   {1, -16, 20320, 12192}};
    for (int path : paths)
        for (const Case& c : cases) {
            MixerFixture mx(path, 1);
            std::vector<uint8_t> full(64, 255);
            int h = mx.add(full, DSM_LOOP_TRACKER, 0, 64);
            EXPECT_EQ(dsm_setBalancedPan(0, c.balanced), 0);
            mx.play(0, h, 44100, 64, c.panning);
            std::vector<int16_t> out = mx.mix(200);
            for (int i = 0; i < 200; i++) {
                ASSERT_EQ(out[2 * i], c.left) << "path " << path << " law " << c.balanced << " pan " << c.panning << " frame " << i;
                ASSERT_EQ(out[2 * i + 1], c.right) << "path " << path << " pan " << c.panning;
            }
        }
}

TEST(Mixer, IntegerVolumeTableEntries)
{
    MixerFixture mx(DSM_INTEGER, 1);
    EXPECT_EQ(dsmChannel[0].leftVol, 0);
    dsm_setVolume(0, 64);
    EXPECT_EQ(dsmChannel[0].leftVol, 4194304);
    dsm_mute(0, 1);
    EXPECT_EQ(dsmChannel[0].leftVol, 0);
    dsm_mute(0, 0);
    dsm_setMasterVolume(32);
    EXPECT_EQ(dsmChannel[0].rightVol, 2097152);
}

TEST(Mixer, StepOfExactlyOneFrameTakesEverySample)
{
    for (int path : paths) {
        MixerFixture mx(path, 1);
        std::vector<uint8_t> ramp(300);
        for (int i = 0; i < 300; i++)
            ramp[i] = (uint8_t)(i * 7);
        mx.play(0, mx.add(ramp), 44100);
        std::vector<int16_t> out = mx.mix(300);
        for (int i = 0; i < 300; i++)
            ASSERT_EQ(out[2 * i], (ramp[i] - 128) * 256) << "path " << path << " frame " << i;
    }
}

TEST(Mixer, HalfRateRepeatsEachSample)
{
    MixerFixture mx(DSM_INTEGER, 1);
    std::vector<uint8_t> ramp = {128, 138, 148, 158};
    mx.play(0, mx.add(ramp), 22050);
    std::vector<int16_t> out = mx.mix(10);
    const int expected[10] = {0, 0, 2560, 2560, 5120, 5120, 7680, 7680, 0, 0};
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(out[2 * i], expected[i]) << i;
    EXPECT_EQ(dsmChannel[0].status, DSM_AT_END);
}

TEST(Mixer, LoopStartEqualToEndPlaysOnce)
{
    MixerFixture mx(DSM_INTEGER, 1);
    std::vector<uint8_t> data(50, 200);
    int h = mx.add(data, DSM_LOOP_TRACKER, 20, 20);
    EXPECT_EQ(dsmSamples[h - 1].loop1Type, DSM_LT_NONE);
    mx.play(0, h);
    std::vector<int16_t> out = mx.mix(100);
    EXPECT_NE(out[2 * 49], 0);
    EXPECT_EQ(out[2 * 50], 0);
    EXPECT_EQ(dsmChannel[0].status, DSM_AT_END);
}

TEST(Mixer, ForwardLoopKeepsOvershoot)
{
    MixerFixture mx(DSM_INTEGER, 1);
    std::vector<uint8_t> data(10);
    for (int i = 0; i < 10; i++)
        data[i] = (uint8_t)(128 + i);
    mx.play(0, mx.add(data, DSM_LOOP_TRACKER, 4, 10), 3 * 44100);   // three frames a step
    std::vector<int16_t> out = mx.mix(8);
    // 0 3 6 9 | 12 -> 6, 9 | 12 -> 6 ...
    const int expected[8] = {0, 3, 6, 9, 6, 9, 6, 9};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(out[2 * i], expected[i] * 256) << i;
}

TEST(Mixer, PositionBeyondEndLeavesChannelSilent)
{
    MixerFixture mx(DSM_INTEGER, 1);
    std::vector<uint8_t> data(100, 250);
    int h = mx.add(data);
    mx.play(0, h);
    EXPECT_EQ(dsm_setPosition(0, 100), 0);
    EXPECT_EQ(dsmChannel[0].status, DSM_AT_END);
    std::vector<int16_t> out = mx.mix(20);
    for (int16_t v : out)
        ASSERT_EQ(v, 0);
    EXPECT_EQ(dsm_setPosition(0, 60), 0);     // inside again: plays from there
    EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);
    EXPECT_EQ(dsmChannel[0].pos, 60u);
}

TEST(Mixer, TrackerSampleChangeAtTheEnd)
{
    MixerFixture mx(DSM_INTEGER, 1);
    std::vector<uint8_t> a(10, 138), b(20, 168);
    int ha = mx.add(a);
    int hb = mx.add(b, DSM_LOOP_TRACKER, 15, 20);
    mx.play(0, ha);
    dsm_setSample(0, hb);                  // takes effect when sample a ends
    std::vector<int16_t> out = mx.mix(30);
    EXPECT_EQ(out[2 * 9], 10 * 256);
    EXPECT_EQ(out[2 * 10], 40 * 256);      // b, from its loop start
    EXPECT_EQ(dsmChannel[0].pos, 15u + (20 % 5));

    // A channel stopped at its end picks up a looping sample at once.
    mx.play(0, ha);
    mx.mix(30);
    EXPECT_EQ(dsmChannel[0].status, DSM_AT_END);
    dsm_setSample(0, hb);
    EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);
    EXPECT_EQ(dsmChannel[0].pos, 15u);
}

TEST(Mixer, PathsAgreeWithinRounding)
{
    std::vector<uint8_t> data(997);
    for (size_t i = 0; i < data.size(); i++)
        data[i] = (uint8_t)((i * 37 + (i * i) % 101) & 255);
    // Volumes and pannings that fall on one of the integer path's 33 levels
    // (elsewhere it rounds to the nearest level, a difference of volume, not
    // of rounding).
    struct Voice { uint32_t rate; int volume; int panning; };
    const Voice voices[4] = {{8287, 64, -64}, {16574, 40, 64}, {11025, 24, 32}, {30000, 64, -16}};
    std::vector<int16_t> results[2];
    for (int p = 0; p < 2; p++) {
        MixerFixture mx(paths[p], 4);
        int h = mx.add(data, DSM_LOOP_TRACKER, 100, 997);
        for (int c = 0; c < 4; c++)
            mx.play(c, h, voices[c].rate, voices[c].volume, voices[c].panning);
        results[p] = mx.mix(5000);
    }
    for (size_t i = 0; i < results[0].size(); i++)
        ASSERT_NEAR(results[0][i], results[1][i], 4) << i;
}

TEST(Mixer, OutputConversionClips)
{
    struct Case { int mode; int32_t in; int expected; };
    const Case cases[] = {
        {DSM_16BIT | DSM_MONO, 40000, 32767}, {DSM_16BIT | DSM_MONO, -40000, -32768},
        {DSM_16BIT | DSM_MONO, 1234, 1234}, {DSM_8BIT | DSM_MONO, 40000, 255},
        {DSM_8BIT | DSM_MONO, -40000, 0}, {DSM_8BIT | DSM_MONO, 256, 129},
    };
    for (int path : paths)
        for (const Case& c : cases) {
            MixerFixture mx(path, 1, c.mode);
            uint8_t out[2] = {};
            if (path == DSM_INTEGER) {
                int32_t buf[1] = {c.in};
                dsm_filterAndConvert(buf, 1, out);
            } else {
                float buf[1] = {(float)c.in};
                dsm_filterAndConvert(buf, 1, out);
            }
            int got = (c.mode & DSM_8BIT) ? out[0] : *(int16_t*)out;
            EXPECT_EQ(got, c.expected) << "path " << path << " in " << c.in;
        }
}

TEST(Mixer, OutputFilters)
{
    // A step of 3200 through each filter: integer path (shifts) and float path.
    struct Case { int filter, path; int expected[3]; };
    const Case cases[] = {
        {1, DSM_INTEGER, {2200, 3300, 3300}},     // s = 6400 then 9600; 11/32 of s
        {1, DSM_FLOAT, {2133, 3200, 3200}},
        {2, DSM_INTEGER, {1600, 2800, 3200}},
        {2, DSM_FLOAT, {1600, 2800, 3200}},
        {3, DSM_INTEGER, {2200, 3300, 3300}},     // automatic: the light filter
    };
    for (const Case& c : cases) {
        MixerFixture mx(c.path, 1, DSM_16BIT | DSM_MONO);
        dsmFilterMode = c.filter;
        int16_t out[3];
        if (c.path == DSM_INTEGER) {
            int32_t buf[3] = {3200, 3200, 3200};
            dsm_filterAndConvert(buf, 3, (uint8_t*)out);
        } else {
            float buf[3] = {3200, 3200, 3200};
            dsm_filterAndConvert(buf, 3, (uint8_t*)out);
        }
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(out[i], c.expected[i]) << "filter " << c.filter << " path " << c.path << " at " << i;
    }
}

TEST(Mixer, PauseKeepsPosition)
{
    MixerFixture mx(DSM_FLOAT, 1);
    std::vector<uint8_t> data(1000, 200);
    mx.play(0, mx.add(data));
    dsm_pause(1);
    std::vector<int16_t> out = mx.mix(100);
    for (int16_t v : out)
        ASSERT_EQ(v, 0);
    EXPECT_EQ(dsmChannel[0].pos, 0u);
    dsm_pause(0);
    mx.mix(100);
    EXPECT_EQ(dsmChannel[0].pos, 100u);
}

TEST(Mixer, ErrorCodes)
{
    MixerFixture mx(DSM_INTEGER, 2);
    EXPECT_EQ(dsm_setVolume(2, 10), MPERR_INVALID_CHANNEL);
    EXPECT_EQ(dsm_playSound(-1, 100), MPERR_INVALID_CHANNEL);
    EXPECT_EQ(dsm_setSample(0, 1025), MPERR_INVALID_SAMPLE);
    EXPECT_EQ(dsm_removeSample(0), MPERR_INVALID_SAMPLE);
    EXPECT_EQ(dsm_closeChannels(), 0);
    EXPECT_EQ(dsm_closeChannels(), MPERR_CHANNELS_NOT_OPEN);

    dsmSampleDesc_T empty = {};
    std::vector<int> handles;
    int h = 0, code;
    while ((code = dsm_addSample(&empty, 1, &h)) == 0)
        handles.push_back(h);
    EXPECT_EQ(code, MPERR_NO_SAMPLE_HANDLES);
    EXPECT_EQ(handles.size(), (size_t)DSM_MAX_SAMPLES);
    for (int x : handles)
        dsm_removeSample(x);
}

} // namespace
