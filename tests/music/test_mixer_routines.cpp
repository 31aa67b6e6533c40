// The mixer's fast forms against the plain rules: the routines that write
// one side of a hard-panned voice, the four-frame unrolling, and the output
// pass that converts several values at a time.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <type_traits>
#include <vector>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_routines.h"

namespace {

// A voice of either path and sample type whose right side adds nothing
// (volume level 0, multiplier 0, factor 0).
struct VoiceCase { int integer, type; };
const VoiceCase voiceCases[] = {{1, DSM_SMP_8BIT}, {1, DSM_SMP_16BIT}, {0, DSM_SMP_8BIT}, {0, DSM_SMP_16BIT}};

dsmVoice_T leftOnlyVoice(const std::vector<uint8_t>& data, dsmPos_T step)
{
    dsmVoice_T v = {};
    v.data = data.data();
    v.pos = step > 0 ? 3 << DSM_POS_SHIFT : 200 << DSM_POS_SHIFT;
    v.step = step;
    v.tabL = dsmVolumeTable[27];
    v.tabR = dsmVolumeTable[0];
    v.mulL = 3000;
    v.mulR = 0;
    v.facL = 0.7f;
    v.facR = 0.0f;
    return v;
}

dsmVoice_T mirrored(dsmVoice_T v)
{
    std::swap(v.tabL, v.tabR);
    std::swap(v.mulL, v.mulR);
    std::swap(v.facL, v.facR);
    return v;
}

// Runs a routine over a stereo buffer filled with a pattern.
template <typename T>
std::vector<T> run(dsmRoutine_T routine, const dsmVoice_T& v, uint32_t count, dsmPos_T* end)
{
    std::vector<T> out(2 * count + 2);
    for (size_t i = 0; i < out.size(); i++)
        out[i] = (T)(37 * (int)i - 500);
    *end = routine(v, out.data(), count);
    return out;
}

template <typename T>
void expectOneSidedMatchesGeneral(const VoiceCase& c, dsmPos_T step)
{
    std::vector<uint8_t> data(512);
    for (size_t i = 0; i < data.size(); i++)
        data[i] = (uint8_t)(i * 73 + (i >> 3));
    dsmVoice_T left = leftOnlyVoice(data, step), right = mirrored(left);
    dsmRoutine_T general = dsm_routine(c.integer, c.type, 1, DSM_PAN_GENERAL);
    for (uint32_t count = 0; count <= 9; count++) {
        dsmPos_T endGeneral, endOne;
        std::vector<T> want = run<T>(general, left, count, &endGeneral);
        std::vector<T> got = run<T>(dsm_routine(c.integer, c.type, 1, DSM_PAN_LEFT), left, count, &endOne);
        EXPECT_EQ(got, want) << "left, count " << count << " integer " << c.integer << " type " << c.type;
        EXPECT_EQ(endOne, endGeneral);
        EXPECT_EQ(endOne, left.pos + (dsmPos_T)count * step);
        want = run<T>(general, right, count, &endGeneral);
        got = run<T>(dsm_routine(c.integer, c.type, 1, DSM_PAN_RIGHT), right, count, &endOne);
        EXPECT_EQ(got, want) << "right, count " << count << " integer " << c.integer << " type " << c.type;
    }
}

TEST(MixerRoutines, OneSidedRoutinesAddWhatTheGeneralOneAdds)
{
    dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER);
    dsm_openChannels(4);
    for (const VoiceCase& c : voiceCases)
        for (dsmPos_T step : {(dsmPos_T)52000, (dsmPos_T)-90000, (dsmPos_T)65536 * 3 + 7}) {
            if (c.integer)
                expectOneSidedMatchesGeneral<int32_t>(c, step);
            else
                expectOneSidedMatchesGeneral<float>(c, step);
        }
    dsm_close();
}

// Hard-panned channels through the whole mixer, which picks the one-sided
// routines itself: each side holds its own channel's frames exactly.
TEST(MixerRoutines, HardPannedChannelsEachFillTheirOwnSide)
{
    for (int path : {DSM_INTEGER, DSM_FLOAT}) {
        dsm_init(44100, DSM_16BIT | DSM_STEREO | path);
        dsm_openChannels(2);
        dsmFilterMode = 0;
        std::vector<uint8_t> data(1000);
        for (size_t i = 0; i < data.size(); i++)
            data[i] = (uint8_t)(128 + 100 * std::sin(i * 0.05));
        dsmSampleDesc_T d = {};
        d.data = data.data();
        d.type = DSM_SMP_8BIT;
        d.length = (uint32_t)data.size();
        d.loopMode = DSM_LOOP_TRACKER;
        d.loop1Start = 100;
        d.loop1End = 1000;
        d.loop1Type = DSM_LT_FORWARD;
        int h = 0;
        ASSERT_EQ(dsm_addSample(&d, 1, &h), 0);
        const int pans[2] = {-64, 64};
        for (int c = 0; c < 2; c++) {
            dsm_setSample(c, h);
            dsm_setVolume(c, 64);
            dsm_setPanning(c, pans[c]);
            dsm_playSound(c, 22050 + 11025 * c);
        }
        std::vector<int16_t> out(2 * 3001);
        dsm_mix(3001, out.data());
        // Channel 0 at half rate on the left, channel 1 at three quarters on
        // the right; a sample byte b at full volume over two channels adds
        // (b - 128) x 128 on both paths.
        auto value = [&](int frame) {
            int at = frame < 1000 ? frame : 100 + (frame - 100) % 900;
            return (data[at] - 128) * 128;
        };
        for (int i = 0; i < 3001; i++) {
            ASSERT_EQ(out[2 * i], value(i / 2)) << "path " << path << " frame " << i;
            ASSERT_EQ(out[2 * i + 1], value(i * 3 / 4)) << "path " << path << " frame " << i;
        }
        dsm_removeSample(h);
        dsm_close();
    }
}

// The 16-bit output rule, one value at a time: the nearest integer (ties
// to even), held to -32768..32767.
int16_t reference16(double y)
{
    double r = std::nearbyint(y);
    return (int16_t)(r < -32768 ? -32768 : r > 32767 ? 32767 : r);
}

template <typename T>
std::vector<T> testSignal(size_t n)
{
    std::vector<T> v(n);
    for (size_t i = 0; i < n; i++)
        v[i] = (T)(((int64_t)(i * 7919) % 90001) - 45000);
    if constexpr (std::is_floating_point<T>::value) {
        // Halves that round to even, both signs, and values past the 32-bit range.
        const T special[] = {(T)2.5, (T)3.5, (T)-2.5, (T)-3.5, (T)32767.5, (T)-32768.5, (T)1e10, (T)-1e10,
                             std::numeric_limits<T>::infinity(), -std::numeric_limits<T>::infinity()};
        for (size_t i = 0; i < n; i += 13)
            v[i] = special[(i / 13) % 10];
    }
    return v;
}

// Mode 0 (no filter) on 16-bit output: every value against that rule.
TEST(MixerRoutines, ConversionOfEveryValueFollowsTheRules)
{
    for (int path : {DSM_INTEGER, DSM_FLOAT})
        for (int channels : {DSM_STEREO, DSM_MONO}) {
            dsm_init(44100, DSM_16BIT | channels | path);
            dsmFilterMode = 0;
            const uint32_t frames = 301;
            const size_t n = frames * (channels == DSM_STEREO ? 2 : 1);
            std::vector<int16_t> out(n);
            std::vector<double> in(n);
            if (path == DSM_INTEGER) {
                std::vector<int32_t> buf = testSignal<int32_t>(n);
                in.assign(buf.begin(), buf.end());
                dsm_filterAndConvert(buf.data(), frames, (uint8_t*)out.data());
            } else {
                std::vector<float> buf = testSignal<float>(n);
                in.assign(buf.begin(), buf.end());
                dsm_filterAndConvert(buf.data(), frames, (uint8_t*)out.data());
            }
            for (size_t i = 0; i < n; i++)
                ASSERT_EQ(out[i], reference16(in[i])) << "path " << path << " value " << in[i] << " at " << i;
            dsm_close();
        }
}

// Each filter, output format and path gives the same bytes for a long
// buffer converted at once as for the same buffer in pieces of 1 to 5
// frames (which never reach the several-at-a-time part): the history of
// inputs carries across calls and both parts compute alike.
TEST(MixerRoutines, ConversionInOneCallEqualsConversionInPieces)
{
    const int formats[] = {DSM_16BIT | DSM_STEREO, DSM_16BIT | DSM_MONO, DSM_8BIT | DSM_STEREO, DSM_8BIT | DSM_MONO};
    for (int path : {DSM_INTEGER, DSM_FLOAT})
        for (int format : formats)
            for (int filter : {0, 1, 2}) {
                const uint32_t frames = 233;
                int values = (format & DSM_STEREO) ? 2 : 1, bytes = (format & DSM_8BIT) ? 1 : 2;
                size_t n = frames * values;
                std::vector<int32_t> ints = testSignal<int32_t>(n);
                std::vector<float> floats = testSignal<float>(n);
                floats[40] = std::numeric_limits<float>::quiet_NaN();
                void* buf = path == DSM_INTEGER ? (void*)ints.data() : (void*)floats.data();
                std::vector<uint8_t> whole(n * bytes), pieces(n * bytes);
                for (int pass = 0; pass < 2; pass++) {
                    dsm_init(44100, format | path);
                    dsmFilterMode = filter;
                    if (pass == 0) {
                        dsm_filterAndConvert(buf, frames, whole.data());
                    } else {
                        for (uint32_t f = 0, piece = 1; f < frames; f += piece, piece = piece % 5 + 1) {
                            uint32_t k = std::min(piece, frames - f);
                            size_t at = (size_t)f * values;
                            void* from = path == DSM_INTEGER ? (void*)(ints.data() + at) : (void*)(floats.data() + at);
                            dsm_filterAndConvert(from, k, pieces.data() + at * bytes);
                        }
                    }
                    dsm_close();
                }
                EXPECT_EQ(whole, pieces) << "path " << path << " format " << format << " filter " << filter;
            }
}

} // namespace
