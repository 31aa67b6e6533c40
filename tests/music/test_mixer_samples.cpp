// The mixer's 16-bit, stereo and mu-law samples: exact output values on
// both numeric paths, the conversion at upload, the mu-law tables, and 8-bit
// output of 16-bit samples.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mixer/dsm_routines.h"
#include "music/mp_errors.h"
#include "music/mp_settings.h"
#include "s3m_writer.h"

namespace {

const int paths[] = {DSM_INTEGER, DSM_FLOAT};

// One channel at full volume, centred, 44100 Hz, no filter: every output
// value is the sample value itself (multiplier 256 >> 8, factor 1.0).
struct OneVoice {
    int handle = 0;
    OneVoice(int path, const std::vector<uint8_t>& bytes, int type, int mode = DSM_16BIT | DSM_STEREO)
    {
        EXPECT_EQ(dsm_init(44100, mode | path), 0);
        EXPECT_EQ(dsm_openChannels(1), 0);
        dsmFilterMode = 0;
        dsmSampleDesc_T d = {};
        d.data = bytes.data();
        d.type = type;
        d.length = (uint32_t)bytes.size();
        d.loopMode = DSM_LOOP_NONE;
        EXPECT_EQ(dsm_addSample(&d, 1, &handle), 0);
    }
    ~OneVoice()
    {
        dsm_removeSample(handle);
        dsm_close();
        mp_defaultSettings();
    }
    std::vector<int16_t> play(uint32_t frames, int panning = 0)
    {
        EXPECT_EQ(dsm_setSample(0, handle), 0);
        EXPECT_EQ(dsm_setVolume(0, 64), 0);
        EXPECT_EQ(dsm_setPanning(0, panning), 0);
        EXPECT_EQ(dsm_playSound(0, 44100), 0);
        std::vector<int16_t> out(2 * frames);
        dsm_mix(frames, out.data());
        return out;
    }
};

const std::vector<int> values = {0, 1000, -2000, 32767, -32768, 12345, -1, 77};

TEST(MixerSamples, SixteenBitExactOnBothPaths)
{
    for (int path : paths) {
        OneVoice v(path, s3m_words(values), DSM_SMP_16BIT);
        std::vector<int16_t> out = v.play((uint32_t)values.size() + 2);
        for (size_t i = 0; i < values.size(); i++) {
            EXPECT_EQ(out[2 * i], values[i]) << "path " << path << " frame " << i;
            EXPECT_EQ(out[2 * i + 1], values[i]) << "path " << path << " frame " << i;
        }
        EXPECT_EQ(out[2 * values.size()], 0);            // stopped at the end
        EXPECT_EQ(dsmChannel[0].status, DSM_AT_END);
    }
}

TEST(MixerSamples, SixteenBitHardRightAndSurround)
{
    for (int path : paths) {
        OneVoice v(path, s3m_words(values), DSM_SMP_16BIT);
        std::vector<int16_t> right = v.play(4, 64);
        std::vector<int16_t> surround = v.play(4, DSM_SURROUND);
        for (size_t i = 0; i < 4; i++) {
            EXPECT_EQ(right[2 * i], 0);
            EXPECT_EQ(right[2 * i + 1], values[i]);
            EXPECT_EQ(surround[2 * i], values[i]);
            EXPECT_EQ(surround[2 * i + 1], values[i] == -32768 ? 32767 : -values[i]);
        }
    }
}

TEST(MixerSamples, StereoSamplesSendEachSideItsOwnValue)
{
    // Frames (left, right): positions and lengths count whole frames.
    std::vector<int> lr = {100, -100, 2000, 3000, -32768, 32767};
    for (int path : paths) {
        OneVoice v(path, s3m_words(lr), DSM_SMP_16BIT_STEREO);
        EXPECT_EQ(dsmSamples[v.handle - 1].length, 3u);
        std::vector<int16_t> out = v.play(4);
        EXPECT_EQ(out, (std::vector<int16_t>{100, -100, 2000, 3000, -32768, 32767, 0, 0})) << path;
    }
    // 8-bit stereo: unsigned bytes, each side through the volume table.
    std::vector<uint8_t> bytes = {255, 0, 128, 192};
    for (int path : paths) {
        OneVoice v(path, bytes, DSM_SMP_8BIT_STEREO);
        std::vector<int16_t> out = v.play(2);
        EXPECT_EQ(out, (std::vector<int16_t>{32512, -32768, 0, 16384})) << path;
    }
}

TEST(MixerSamples, StereoSampleOnMonoOutputAddsBothAtHalfVolume)
{
    std::vector<int> lr = {1000, 3000, -4000, 2000};
    for (int path : paths) {
        OneVoice v(path, s3m_words(lr), DSM_SMP_16BIT_STEREO, DSM_16BIT | DSM_MONO);
        std::vector<int16_t> out = v.play(2);
        EXPECT_EQ(out[0], 2000) << path;     // (1000 + 3000) / 2
        EXPECT_EQ(out[1], -1000) << path;    // (-4000 + 2000) / 2
    }
}

TEST(MixerSamples, EightBitOutputOfSixteenBitSamples)
{
    for (int path : paths) {
        OneVoice v(path, s3m_words(values), DSM_SMP_16BIT, DSM_8BIT | DSM_STEREO);
        std::vector<int16_t> raw = v.play(4);
        const uint8_t* out = (const uint8_t*)raw.data();
        for (size_t i = 0; i < 4; i++) {
            int expected = (values[i] >> 8) + 128;
            EXPECT_EQ(out[2 * i], expected) << "path " << path << " frame " << i;
            EXPECT_EQ(out[2 * i + 1], expected) << "path " << path << " frame " << i;
        }
    }
}

TEST(MuLaw, CodesRoundTripAndDecodeToTheStandardValues)
{
    EXPECT_EQ(dsm_muLawDecode(0xFF), 0);
    EXPECT_EQ(dsm_muLawDecode(0x80), 32124);
    EXPECT_EQ(dsm_muLawDecode(0x00), -32124);
    EXPECT_EQ(dsm_muLawDecode(0xF0), 120);
    EXPECT_EQ(dsm_muLawEncode(0), 0xFF);
    EXPECT_EQ(dsm_muLawEncode(32767), 0x80);
    EXPECT_EQ(dsm_muLawEncode(-32768), 0x00);
    for (int c = 0; c < 256; c++)
        if (c != 0x7F) {        // "minus zero" decodes to 0, which encodes as 0xFF
            EXPECT_EQ(dsm_muLawEncode(dsm_muLawDecode((uint8_t)c)), c) << c;
        }
    // Every 16-bit value comes back within half a step of its segment.
    for (int v = -32768; v < 32768; v += 7) {
        int back = dsm_muLawDecode(dsm_muLawEncode((int16_t)v));
        int magnitude = v < 0 ? -v : v;
        int tolerance = magnitude < 32635 ? (magnitude + 0x84) / 32 + 4 : 700;
        EXPECT_LE(std::abs(back - v), tolerance) << v;
    }
}

TEST(MuLaw, TablesFollowTheVolumeLaw)
{
    ASSERT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_INTEGER), 0);
    ASSERT_EQ(dsm_openChannels(1), 0);
    for (int c : {0x00, 0x80, 0x9A, 0xFF, 0x3C})
        for (int l : {0, 1, 16, 31, 32}) {
            int m = dsm_muLawDecode((uint8_t)c);
            EXPECT_EQ(dsmMuLawTable[l][c], ((m * l * 64) / 64 / 32) / 1) << c << " level " << l;
        }
    ASSERT_EQ(dsm_openChannels(6), 0);      // amplification 84 over 6 channels
    EXPECT_EQ(dsmMuLawTable[32][0x80], ((32124 * 32 * 84) / 64 / 32) / 6);
    dsm_close();
    ASSERT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO | DSM_FLOAT), 0);
    for (int c = 0; c < 256; c++)
        EXPECT_EQ(dsmMuLawFloat[c], (float)dsm_muLawDecode((uint8_t)c));
    dsm_close();
}

TEST(MuLaw, ConversionSettingHalvesSixteenBitSamples)
{
    for (int path : paths) {
        mpSettings.muLawSamples = 1;     // the fixture puts the defaults back
        OneVoice v(path, s3m_words(values), DSM_SMP_16BIT);
        const dsmSample_T& s = dsmSamples[v.handle - 1];
        EXPECT_EQ(s.type, DSM_SMP_MULAW);
        EXPECT_EQ(s.origType, DSM_SMP_16BIT);
        EXPECT_EQ(s.length, values.size());
        std::vector<int16_t> out = v.play((uint32_t)values.size());
        for (size_t i = 0; i < values.size(); i++) {
            EXPECT_EQ(s.data[i], dsm_muLawEncode((int16_t)values[i]));
            int expected = dsm_muLawDecode(dsm_muLawEncode((int16_t)values[i]));
            EXPECT_EQ(out[2 * i], expected) << "path " << path << " frame " << i;
            EXPECT_EQ(out[2 * i + 1], expected) << "path " << path << " frame " << i;
        }
        // Positions still count the caller's bytes: two per frame.
        EXPECT_EQ(dsm_setPosition(0, 6), 0);
        EXPECT_EQ(dsmChannel[0].pos, 3u);
        uint32_t bytes = 0;
        EXPECT_EQ(dsm_getPosition(0, &bytes), 0);
        EXPECT_EQ(bytes, 6u);
    }
    // Off (the default), a 16-bit sample stays 16-bit.
    OneVoice plain(DSM_INTEGER, s3m_words(values), DSM_SMP_16BIT);
    EXPECT_EQ(dsmSamples[plain.handle - 1].type, DSM_SMP_16BIT);
}

TEST(MuLaw, StereoConversionAndUnknownTypes)
{
    std::vector<int> lr = {5000, -5000, 100, -100};
    for (int path : paths) {
        mpSettings.muLawSamples = 1;
        OneVoice v(path, s3m_words(lr), DSM_SMP_16BIT_STEREO);
        EXPECT_EQ(dsmSamples[v.handle - 1].type, DSM_SMP_MULAW_STEREO);
        std::vector<int16_t> out = v.play(2);
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(out[i], dsm_muLawDecode(dsm_muLawEncode((int16_t)lr[i]))) << path;
    }
    mp_defaultSettings();
    ASSERT_EQ(dsm_init(44100, DSM_16BIT | DSM_STEREO), 0);
    std::vector<uint8_t> bytes(8);
    for (int type : {5, 6, 9}) {
        dsmSampleDesc_T d = {};
        d.data = bytes.data();
        d.type = type;
        d.length = 8;
        int h;
        EXPECT_EQ(dsm_addSample(&d, 1, &h), MPERR_INVALID_SAMPLE_TYPE) << type;
    }
    dsm_close();
}

} // namespace
