// Loops in the mixer, frame by frame: back-and-forth loops turn as
// FastTracker 2 (mirrored on the loop's end and start, the frame on the end
// heard on an exact hit) or as Impulse Tracker (the last frame twice at the
// top, the first once at the bottom), and a step longer than the loop
// lands where the loop's cycle puts it; both numeric paths and both sample
// widths give the same frames.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

namespace {

// Frame indices a voice reads over `frames` output frames, from the mixed
// values of a sample whose frame i holds the value i (x 256 in 16 bits).
std::vector<int> framesPlayed(int path, bool is16, int loopType, uint32_t loopEnd, uint32_t rate, uint32_t frames)
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
    d.loop1End = loopEnd * unit;
    d.loop1Type = loopType;
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

// Frames 0..7 of the sample, the loop from frame 2 to loopEnd.
TEST(MixerPingPong, TurnsAsEachTrackerTurns)
{
    struct Case {
        int loopType;
        uint32_t loopEnd;
        uint32_t rate;
        std::vector<int> frames;
    };
    const Case cases[] = {
        // One frame a step: Impulse Tracker plays 5 twice, 2 once; FastTracker 2
        // plays the frame on the end (6) once, or the last frame (7) twice
        // more when the loop ends with the sample.
        {DSM_LT_BIDI_REPEAT, 6, 44100, {0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 3, 4, 5, 5, 4, 3, 2, 3, 4, 5}},
        {DSM_LT_BIDI, 6, 44100, {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 3, 4, 5, 6, 5, 4, 3, 2, 3}},
        {DSM_LT_BIDI, 8, 44100, {0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 6, 5, 4, 3, 2, 3, 4, 5, 6, 7, 7, 7}},
        // Half a frame a step: the turns three frames long in both.
        {DSM_LT_BIDI_REPEAT, 6, 22050, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 5, 4, 4, 3, 3, 2, 2, 2, 3, 3, 4, 4, 5, 5, 5, 4}},
        {DSM_LT_BIDI, 6, 22050, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 5, 5, 4, 4, 3, 3, 2, 2, 2, 3, 3, 4, 4, 5, 5, 6, 5}},
        // Three frames a step: the overshoot reflected, never outside the loop.
        {DSM_LT_BIDI_REPEAT, 6, 132300, {0, 3, 5, 2, 5, 3, 4, 4, 3, 5, 2, 5}},
        // Steps longer than the loop: each frame where the cycle (4, 7 or 8
        // frames long) puts it, however many times the loop turned between.
        {DSM_LT_FORWARD, 6, 308700, {0, 3, 2, 5, 4, 3, 2, 5, 4, 3}},
        {DSM_LT_BIDI_REPEAT, 6, 220500, {0, 5, 3, 3, 5, 4, 2, 4, 5, 3, 3, 5}},
        {DSM_LT_BIDI, 6, 220500, {0, 5, 2, 5, 4, 3, 6, 3, 4, 5, 2, 5}},
    };
    for (const Case& c : cases)
        for (int path : {DSM_INTEGER, DSM_FLOAT})
            for (bool is16 : {false, true})
                EXPECT_EQ(framesPlayed(path, is16, c.loopType, c.loopEnd, c.rate, (uint32_t)c.frames.size()), c.frames)
                    << "loop " << c.loopType << " end " << c.loopEnd << " rate " << c.rate << " path " << path
                    << " 16-bit " << is16;
}

} // namespace
