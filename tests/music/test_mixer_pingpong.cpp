// Loops in the mixer, frame by frame: back-and-forth loops turn as
// FastTracker 2 (mirrored on the loop's end and start, the frame on the end
// heard on an exact hit) or as Impulse Tracker (the last frame twice at the
// top, the first once at the bottom), and a step longer than the loop
// lands where the loop's cycle puts it; a voice played backward runs to its
// start or round its forward loop; both numeric paths and both sample
// widths give the same frames.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

namespace {

// Frame indices a voice reads over `frames` output frames, from the mixed
// values of a sample whose frame i holds the value i + 1 (x 15, x 256 in 16
// bits); -1 where it is silent. With reverseAfter, the voice is turned
// backward (from the end, with fromEnd) after that many frames.
std::vector<int> framesPlayed(int path, bool is16, int loopType, uint32_t loopEnd, uint32_t rate, uint32_t frames,
                              int reverseAfter = -1, bool fromEnd = false)
{
    EXPECT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | path), 0);
    EXPECT_EQ(dsm_openChannels(1), 0);
    dsmFilterMode = 0;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 8; i++) {
        if (is16) {
            int16_t v = (int16_t)((i + 1) * 15 * 256);
            bytes.push_back((uint8_t)v);
            bytes.push_back((uint8_t)(v >> 8));
        } else {
            bytes.push_back((uint8_t)(128 + (i + 1) * 15));
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
    uint32_t before = reverseAfter < 0 ? frames : (uint32_t)reverseAfter;
    dsm_mix(before, out.data());
    if (reverseAfter >= 0) {
        EXPECT_EQ(dsm_setDirection(0, -1, fromEnd), 0);
        dsm_mix(frames - before, out.data() + 2 * before);
    }
    std::vector<int> played;
    for (uint32_t i = 0; i < frames; i++)
        played.push_back(out[2 * i] / (15 * 256) - 1);
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

// Played backward: a sample without a loop runs down to its first frame
// and stops; a forward loop goes round from its start to its end, at any
// step (7 frames, longer than the loop, lands on its cycle too).
TEST(MixerPingPong, PlayedBackward)
{
    struct Case {
        int loopType;
        uint32_t rate;
        int reverseAfter;
        bool fromEnd;
        std::vector<int> frames;
    };
    const Case cases[] = {
        {DSM_LT_NONE, 44100, 0, true, {7, 6, 5, 4, 3, 2, 1, 0, -1, -1}},
        {DSM_LT_NONE, 44100, 3, false, {0, 1, 2, 3, 2, 1, 0, -1, -1}},
        {DSM_LT_FORWARD, 44100, 0, true, {5, 4, 3, 2, 5, 4, 3, 2, 5, 4}},
        {DSM_LT_FORWARD, 132300, 0, true, {5, 2, 3, 4, 5, 2, 3, 4}},
        {DSM_LT_FORWARD, 308700, 0, true, {5, 2, 3, 4, 5, 2, 3, 4}},
        // Turned before it reached the loop: back to the sample's start.
        {DSM_LT_FORWARD, 44100, 1, false, {0, 1, 0, -1, -1}},
    };
    for (const Case& c : cases)
        for (int path : {DSM_INTEGER, DSM_FLOAT})
            for (bool is16 : {false, true})
                EXPECT_EQ(framesPlayed(path, is16, c.loopType, 6, c.rate, (uint32_t)c.frames.size(), c.reverseAfter,
                                       c.fromEnd),
                          c.frames)
                    << "loop " << c.loopType << " rate " << c.rate << " after " << c.reverseAfter << " path " << path
                    << " 16-bit " << is16;
}

// A back-and-forth sustain loop (4 to 12, Impulse Tracker's turn) released
// while the voice moves backward: towards a back-and-forth second loop (2
// to 14) it goes on backward in that loop at once; towards a forward loop
// or none, forward from where it is.
TEST(MixerPingPong, ReleasedInABackAndForthSustainLoop)
{
    struct Case {
        int loop2Type;
        std::vector<int> frames;    // after the release
    };
    const Case cases[] = {
        {DSM_LT_NONE, {8, 9, 10, 11, 12, 13, 14, 15, -1, -1}},
        {DSM_LT_FORWARD, {8, 9, 10, 11, 12, 13, 2, 3, 4, 5}},
        {DSM_LT_BIDI_REPEAT, {8, 7, 6, 5, 4, 3, 2, 3, 4, 5}},
    };
    for (const Case& c : cases)
        for (int path : {DSM_INTEGER, DSM_FLOAT}) {
            ASSERT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | path), 0);
            ASSERT_EQ(dsm_openChannels(1), 0);
            dsmFilterMode = 0;
            std::vector<int16_t> values;
            for (int i = 0; i < 16; i++)
                values.push_back((int16_t)((i + 1) * 1000));
            dsmSampleDesc_T d = {};
            d.data = (const uint8_t*)values.data();
            d.type = DSM_SMP_16BIT;
            d.length = 32;
            d.loopMode = DSM_LOOP_RELEASE;
            d.loop1Start = 8;
            d.loop1End = 24;
            d.loop1Type = DSM_LT_BIDI_REPEAT;
            d.loop2Start = 4;
            d.loop2End = 28;
            d.loop2Type = c.loop2Type;
            int h = 0;
            ASSERT_EQ(dsm_addSample(&d, 1, &h), 0);
            ASSERT_EQ(dsm_setSample(0, h), 0);
            ASSERT_EQ(dsm_setVolume(0, 64), 0);
            ASSERT_EQ(dsm_setPanning(0, 0), 0);
            ASSERT_EQ(dsm_playSound(0, 44100), 0);
            std::vector<int16_t> out(2 * 15);
            dsm_mix(15, out.data());        // 0 .. 11, 11, 10, 9: next 8, backward
            EXPECT_EQ(out[2 * 14] / 1000 - 1, 9);
            ASSERT_EQ(dsm_releaseSound(0), 0);
            out.assign(2 * c.frames.size(), 0);
            dsm_mix((uint32_t)c.frames.size(), out.data());
            std::vector<int> played;
            for (size_t i = 0; i < c.frames.size(); i++)
                played.push_back(out[2 * i] / 1000 - 1);
            EXPECT_EQ(played, c.frames) << "second loop " << c.loop2Type << " path " << path;
            dsm_removeSample(h);
            dsm_close();
        }
}

} // namespace
