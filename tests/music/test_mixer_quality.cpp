// The mixer's high-quality mode: the interpolators reproduce what they must
// exactly, across loop ends and turns and up to a sample's last frame; the
// volume ramps reach their targets in their length; a cut or replaced note
// fades out in a spare record that frees itself.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_kernel.h"
#include "music/mp_settings.h"

namespace {

// One channel at volume 64, centred, master 64: a 16-bit sample value v
// comes out as v on both sides.
struct Voice {
    std::vector<int16_t> data;
    int handle = 0;

    Voice(int quality, std::vector<int16_t> values, int loopType = DSM_LT_NONE, uint32_t loopStart = 0,
          uint32_t loopEnd = 0)
        : data(std::move(values))
    {
        mp_defaultSettings();
        mpSettings.quality = quality;
        EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_HQ), 0);
        EXPECT_EQ(dsm_openChannels(1), 0);
        dsmSampleDesc_T d = {};
        d.data = (const uint8_t*)data.data();
        d.type = DSM_SMP_16BIT;
        d.length = (uint32_t)(2 * data.size());
        d.loopMode = loopType == DSM_LT_NONE ? DSM_LOOP_NONE : DSM_LOOP_SINGLE;
        d.loop1Start = 2 * loopStart;
        d.loop1End = 2 * loopEnd;
        d.loop1Type = loopType;
        // Not copied: the mixer reads this vector, so a read past its end
        // is one past the allocation (AddressSanitizer builds catch it).
        EXPECT_EQ(dsm_addSample(&d, 0, &handle), 0);
        EXPECT_EQ(dsm_setSample(0, handle), 0);
        EXPECT_EQ(dsm_setVolume(0, 64), 0);
        EXPECT_EQ(dsm_setPanning(0, 0), 0);
    }
    ~Voice()
    {
        dsm_removeSample(handle);
        dsm_close();
        mp_defaultSettings();
    }
    // The left side of the next `frames` output frames.
    std::vector<int> mix(uint32_t frames)
    {
        std::vector<int16_t> out(2 * frames);
        dsm_mix(frames, out.data());
        std::vector<int> left;
        for (uint32_t i = 0; i < frames; i++) {
            EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "frame " << i;
            left.push_back(out[2 * i]);
        }
        return left;
    }
};

std::vector<int16_t> constant(int n, int16_t v) { return std::vector<int16_t>(n, v); }

const int qualities[] = {DSM_QUALITY_LINEAR, DSM_QUALITY_CUBIC, DSM_QUALITY_SINC};

TEST(MixerQuality, HighQualityModeHasSpareRecordsAndItsKernelsAndRamp)
{
    Voice v(DSM_QUALITY_SINC, constant(16, 100));
    EXPECT_EQ(dsmRecords, 2);
    EXPECT_EQ(dsmInteger, 0);
    EXPECT_EQ(dsmQuality, DSM_QUALITY_SINC);
    EXPECT_EQ(dsmRampFrames, 66);       // 1.5 ms at 44100 Hz
    EXPECT_EQ(dsmRampShape[dsmRampFrames - 1], 1.0f);
    for (int ph : {0, 1, (int)DSM_SINC_PHASES / 3, (int)DSM_SINC_PHASES / 2, (int)DSM_SINC_PHASES}) {
        double sum = 0, moment = 0;
        for (int k = 0; k < DSM_SINC_TAPS; k++) {
            sum += dsmSincRows[ph][k];
            moment += dsmSincRows[ph][k] * ((k - (DSM_SINC_HALF - 1)) - (double)ph / DSM_SINC_PHASES);
        }
        EXPECT_NEAR(sum, 1.0, 1e-6) << "phase " << ph;
        EXPECT_NEAR(moment, 0.0, 3e-4) << "phase " << ph;   // the row's centre is the position
    }
    dsm_close();
    mpSettings.quality = DSM_QUALITY_PLAIN;
    ASSERT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO), 0);
    ASSERT_EQ(dsm_openChannels(3), 0);
    EXPECT_EQ(dsmRecords, 3);
    EXPECT_EQ(dsmQuality, DSM_QUALITY_PLAIN);
}

// A constant sample in a forward or a back-and-forth loop stays that
// constant, at steps below and above one frame: every tap across the loop's
// ends reads the loop's own frames.
TEST(MixerQuality, ConstantThroughLoopsExact)
{
    const uint32_t rates[] = {11025, 33075, 44100, 66150, 110250, 300000};
    for (int q : qualities)
        for (int loopType : {DSM_LT_FORWARD, DSM_LT_BIDI, DSM_LT_BIDI_REPEAT})
            for (uint32_t rate : rates) {
                std::vector<int16_t> s = constant(40, 1000);
                s[0] = s[1] = -7000;   // before the loop: read only before the first wrap, in the ramp
                Voice v(q, s, loopType, 4, 24);
                ASSERT_EQ(dsm_playSound(0, rate), 0);
                ASSERT_EQ(dsm_setPosition(0, 2 * 20), 0);   // inside the loop
                std::vector<int> out = v.mix(2000);
                for (int k = dsmRampFrames; k < 2000; k++)
                    ASSERT_EQ(out[k], 1000) << "quality " << q << " loop " << loopType << " rate " << rate << " frame " << k;
            }
}

// A straight line comes out as the straight line between the frames: at a
// quarter-frame step the value at frame k is 16 k exactly, for every
// interpolator (the sinc rows' centres are off by under 2e-4 of a frame,
// far under the output's step on this slope).
TEST(MixerQuality, RampReproducedExactly)
{
    std::vector<int16_t> ramp(400);
    for (int i = 0; i < 400; i++)
        ramp[i] = (int16_t)(64 * i);
    for (int q : qualities) {
        Voice v(q, ramp);
        ASSERT_EQ(dsm_playSound(0, 11025), 0);
        std::vector<int> out = v.mix(1500);
        for (int k = dsmRampFrames; k < 1500; k++)
            ASSERT_EQ(out[k], 16 * k) << "quality " << q << " frame " << k;
    }
}

// At one frame a step the linear and cubic interpolators give the frames
// themselves, exactly, in the order of the loops, as the plain path plays
// them: a back-and-forth loop turns on its end (FastTracker 2: the frame on
// the end once) or half a frame inside it (Impulse Tracker: the last frame
// twice), and on its start at the bottom.
TEST(MixerQuality, FramesAtWholeStepsFollowTheLoops)
{
    std::vector<int16_t> s(8);
    for (int i = 0; i < 8; i++)
        s[i] = (int16_t)(1000 * i);
    struct Case {
        int loopType;
        std::vector<int> frames;
        size_t period;
    };
    const Case cases[] = {
        {DSM_LT_FORWARD, {0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3, 4, 5}, 4},
        {DSM_LT_BIDI, {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 3, 4, 5, 6}, 8},
        {DSM_LT_BIDI_REPEAT, {0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 3, 4, 5, 5}, 7},
    };
    // At 5 frames a step, longer than the loop, each frame lies 5 places on in the cycle.
    for (int q : {DSM_QUALITY_LINEAR, DSM_QUALITY_CUBIC})
        for (size_t step : {1, 5})
            for (const Case& c : cases) {
                Voice v(q, s, c.loopType, 2, 6);
                ASSERT_EQ(dsm_playSound(0, 44100 * (uint32_t)step), 0);
                v.mix(dsmRampFrames);      // the note's ramp in
                // The loop has turned many times by now; find the phase from three frames.
                std::vector<int> out = v.mix(200);
                std::vector<int> frames;
                for (int x : out)
                    frames.push_back(x / 1000);
                for (int x : out)
                    ASSERT_EQ(x % 1000, 0) << "quality " << q;
                // The expected cycle, from the first output's place in it.
                const std::vector<int>& cycle = c.frames;
                size_t period = c.period;
                size_t at = 2;
                auto cycleAt = [&](size_t i) { return cycle[2 + (i - 2) % period]; };
                while (at < 2 + period && !(cycleAt(at) == frames[0] && cycleAt(at + step) == frames[1] &&
                                            cycleAt(at + 2 * step) == frames[2]))
                    at++;
                ASSERT_LT(at, 2 + period) << "quality " << q << " loop " << c.loopType << " step " << step;
                for (size_t k = 0; k < frames.size(); k++)
                    ASSERT_EQ(frames[k], cycleAt(at + k * step))
                        << "quality " << q << " loop " << c.loopType << " step " << step << " frame " << k;
            }
}

// Played backward from the end of a forward loop (2 to 6), at whole steps
// of 1 and 5 frames, the interpolators give the loop's frames going down
// round the loop: each frame the step before the last, modulo the loop.
TEST(MixerQuality, PlayedBackwardRoundAForwardLoop)
{
    std::vector<int16_t> s(8);
    for (int i = 0; i < 8; i++)
        s[i] = (int16_t)(1000 * i);
    for (int q : {DSM_QUALITY_LINEAR, DSM_QUALITY_CUBIC})
        for (int step : {1, 5}) {
            Voice v(q, s, DSM_LT_FORWARD, 2, 6);
            ASSERT_EQ(dsm_playSound(0, 44100 * (uint32_t)step), 0);
            ASSERT_EQ(dsm_setDirection(0, -1, 1), 0);
            v.mix(dsmRampFrames);
            std::vector<int> out = v.mix(100);
            for (size_t k = 0; k < out.size(); k++) {
                ASSERT_EQ(out[k] % 1000, 0) << "quality " << q << " step " << step << " frame " << k;
                int f = out[k] / 1000;
                ASSERT_GE(f, 2);
                ASSERT_LT(f, 6);
                if (k > 0) {
                    ASSERT_EQ(f, 2 + ((out[k - 1] / 1000 - 2 - step) % 4 + 4) % 4)
                        << "quality " << q << " step " << step << " frame " << k;
                }
            }
        }
}

// A sample without a loop: up to its last frame the values are the
// sample's, after it the voice stops and adds nothing, and nothing past the
// sample's last frame is read (the vector is the allocation).
TEST(MixerQuality, LastFrameAndSilenceAfter)
{
    for (int q : qualities)
        for (uint32_t rate : {22050u, 44100u, 88200u}) {
            Voice v(q, constant(300, 2000));
            ASSERT_EQ(dsm_playSound(0, rate), 0);
            uint32_t frames = (uint32_t)(300.0 * 44100 / rate);
            std::vector<int> out = v.mix(frames + 200);
            // Whole inside the sample: exact; over the last 16 frames the
            // kernel rings down to silence, never over the value by much.
            uint32_t inside = (uint32_t)((300.0 - 2 * DSM_SINC_HALF - 2) * 44100 / rate);
            for (uint32_t k = dsmRampFrames; k < inside; k++)
                ASSERT_EQ(out[k], 2000) << "quality " << q << " rate " << rate << " frame " << k;
            for (uint32_t k = frames; k < frames + 200; k++)
                ASSERT_EQ(out[k], 0) << "quality " << q << " rate " << rate << " frame " << k;
            EXPECT_EQ(dsmChannel[0].status, DSM_AT_END);
        }
}

// A volume change ramps as a raised cosine and is at its target on the
// ramp's last frame, and stays there.
TEST(MixerQuality, RampReachesItsTargetInItsLength)
{
    Voice v(DSM_QUALITY_SINC, constant(64, 4000), DSM_LT_FORWARD, 0, 64);
    ASSERT_EQ(dsm_playSound(0, 44100), 0);
    std::vector<int> in = v.mix(200);
    EXPECT_GT(in[0], 0);
    EXPECT_LT(in[0], 40);
    for (int k = 1; k < dsmRampFrames; k++)
        ASSERT_GT(in[k], in[k - 1]) << "frame " << k;
    EXPECT_EQ(in[dsmRampFrames - 2] < 4000, true);
    for (int k = dsmRampFrames - 1; k < 200; k++)
        ASSERT_EQ(in[k], 4000) << "frame " << k;

    ASSERT_EQ(dsm_setVolume(0, 16), 0);
    std::vector<int> down = v.mix(200);
    EXPECT_EQ(down[dsmRampFrames / 2 - 1], 2500);   // half way: 4000 - 3000 x 0.5
    EXPECT_GT(down[dsmRampFrames - 2], 1000);
    for (int k = dsmRampFrames - 1; k < 200; k++)
        ASSERT_EQ(down[k], 1000) << "frame " << k;
}

// A cut note leaves a copy in the spare record that fades to silence over
// the ramp and frees the record; a replaced note fades while the new one
// rises, and on equal constants the two add up to the constant exactly.
TEST(MixerQuality, FadingCopyEndsSilentAndFreesItsRecord)
{
    Voice v(DSM_QUALITY_SINC, constant(64, 4000), DSM_LT_FORWARD, 0, 64);
    ASSERT_EQ(dsm_playSound(0, 44100), 0);
    v.mix(200);
    ASSERT_EQ(dsm_stopSound(0), 0);
    EXPECT_EQ(dsmChannel[0].status, DSM_STOPPED);
    EXPECT_EQ(dsmChannel[1].status, DSM_FADING);
    std::vector<int> cut = v.mix(200);
    EXPECT_LT(cut[0], 4000);
    EXPECT_GT(cut[0], 3960);
    for (int k = 1; k < dsmRampFrames; k++)
        ASSERT_LT(cut[k], cut[k - 1]) << "frame " << k;
    for (int k = dsmRampFrames - 1; k < 200; k++)
        ASSERT_EQ(cut[k], 0) << "frame " << k;
    EXPECT_EQ(dsmChannel[1].status, DSM_STOPPED);

    ASSERT_EQ(dsm_playSound(0, 44100), 0);
    v.mix(200);
    ASSERT_EQ(dsm_playSound(0, 44100), 0);     // the same note again: the old one fades
    EXPECT_EQ(dsmChannel[1].status, DSM_FADING);
    // From inside the sample, where the kernel sees the constant on both sides.
    ASSERT_EQ(dsm_setPosition(0, 2 * 32), 0);
    EXPECT_EQ(dsmChannel[1].status, DSM_FADING);
    std::vector<int> replaced = v.mix(200);
    for (int k = 0; k < 200; k++)
        ASSERT_EQ(replaced[k], 4000) << "frame " << k;
    EXPECT_EQ(dsmChannel[1].status, DSM_STOPPED);
    EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);
}

TEST(MixerQuality, QualityNames)
{
    const char* names[] = {"plain", "linear", "cubic", "sinc"};
    for (int q = 0; q < 4; q++) {
        EXPECT_EQ(mp_qualityFromName(names[q]), q);
        EXPECT_STREQ(mp_qualityName(q), names[q]);
    }
    EXPECT_EQ(mp_qualityFromName("best"), -1);
    EXPECT_EQ(mp_qualityFromName(""), -1);
}

} // namespace
