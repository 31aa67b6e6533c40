// Back-and-forth loops in the mixer: the position is mirrored at both ends
// of the loop, so every frame of the loop plays in each direction and the
// end frames play twice at a turn; both numeric paths and both sample
// widths give the same frames.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

namespace {

// Frame indices a voice reads over `frames` output frames, from the mixed
// values of a sample whose frame i holds the value i (x 256 in 16 bits).
std::vector<int> framesPlayed(int path, bool is16, uint32_t rate, uint32_t frames)
{
    EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | path), 0);
    EXPECT_EQ(dsm_openChannels(1), 0);
    dsmFilterMode = 0;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 8; i++) {
        if (is16) {
            int16_t v = (int16_t)(i * 256 * 16);
            bytes.push_back((uint8_t)v);
            bytes.push_back((uint8_t)(v >> 8));
        } else {
            bytes.push_back((uint8_t)(128 + i * 16));
        }
    }
    uint32_t unit = is16 ? 2 : 1;
    dsmSampleDesc_T d = {};
    d.data = bytes.data();
    d.type = is16 ? DSM_SMP_16BIT : DSM_SMP_8BIT;
    d.length = (uint32_t)bytes.size();
    d.loopMode = DSM_LOOP_SINGLE;
    d.loop1Start = 2 * unit;
    d.loop1End = 6 * unit;
    d.loop1Type = DSM_LT_BIDI;
    int h = 0;
    EXPECT_EQ(dsm_addSample(&d, 1, &h), 0);
    EXPECT_EQ(dsm_setSample(0, h), 0);
    EXPECT_EQ(dsm_setVolume(0, 64), 0);
    EXPECT_EQ(dsm_setPanning(0, 0), 0);
    EXPECT_EQ(dsm_playSound(0, rate), 0);
    std::vector<int16_t> out(2 * frames);
    dsm_mix(frames, out.data());
    std::vector<int> played;
    for (uint32_t i = 0; i < frames; i++)
        played.push_back(out[2 * i] / (16 * 256));
    dsm_removeSample(h);
    dsm_close();
    return played;
}

TEST(MixerPingPong, MirroredAtBothEnds)
{
    struct Case {
        uint32_t rate;
        std::vector<int> frames;
    };
    const Case cases[] = {
        // One frame a step: 5 and 2 twice at the turns.
        {44100, {0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 2, 3, 4, 5, 5, 4, 3, 2, 2, 3}},
        // Half a frame a step: every frame twice, the turning frames four times.
        {22050, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 5, 5, 4, 4, 3, 3, 2, 2, 2, 2, 3, 3}},
        // Three frames a step: reflected overshoot, never outside the loop.
        {132300, {0, 3, 5, 2, 4, 4, 2, 5, 3}},
    };
    for (const Case& c : cases)
        for (int path : {DSM_INTEGER, DSM_FLOAT})
            for (bool is16 : {false, true})
                EXPECT_EQ(framesPlayed(path, is16, c.rate, (uint32_t)c.frames.size()), c.frames)
                    << "rate " << c.rate << " path " << path << " 16-bit " << is16;
}

} // namespace
