// Rendered sound checked by measurement: pitch, stereo placement, the start
// of the first row, and the two numeric paths on a whole module.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_render.h"
#include "music/mp_settings.h"
#include "music_fixture.h"

namespace {

std::vector<int16_t> render(const modSong_T& song, int path, uint32_t frames)
{
    mpModule_T* m = fx_load(mod_write(song));
    EXPECT_NE(m, nullptr);
    std::vector<int16_t> out(frames * 2);
    if (!m)
        return out;
    EXPECT_EQ(mpr_start(m, 44100, path, 1), 0);
    EXPECT_EQ(mpr_render(out.data(), frames), 0);
    mpr_stop();
    mp_freeModule(m);
    return out;
}

// Frequency from the rising zero crossings (linearly interpolated) of one
// side, between first and last.
double measureFrequency(const std::vector<int16_t>& s, int side, size_t from)
{
    double first = -1, last = -1;
    int count = 0;
    for (size_t i = from + 1; i < s.size() / 2; i++) {
        double a = s[2 * (i - 1) + side], b = s[2 * i + side];
        if (a < 0 && b >= 0) {
            double t = (i - 1) + a / (a - b);
            if (first < 0)
                first = t;
            last = t;
            count++;
        }
    }
    return count > 1 ? (count - 1) * 44100.0 / (last - first) : 0.0;
}

TEST(Render, PitchOfASustainedNote)
{
    const int cycle = 64;
    for (int path : {DSM_INTEGER, DSM_FLOAT})
        for (uint16_t period : {856, 508, 428, 240, 113}) {
            modSong_T song = fx_toneSong(cycle, 4);
            song.patterns[0].cells[0][0] = {period, 1, 0, 0};
            std::vector<int16_t> out = render(song, path, 44100 * 2);
            double expected = 3546895.0 / period / cycle;
            double got = measureFrequency(out, 0, 44100 / 5);
            EXPECT_NEAR(got / expected, 1.0, 0.005) << "period " << period << " path " << path
                                                    << ": " << got << " Hz, expected " << expected;
        }
}

TEST(Render, StereoPlacementLeftRightRightLeft)
{
    const bool left[4] = {true, false, false, true};
    for (int c = 0; c < 4; c++) {
        modSong_T song = fx_toneSong();
        song.patterns[0].cells[0][c] = {428, 1, 0, 0};
        std::vector<int16_t> out = render(song, DSM_INTEGER, 22050);
        double energy[2] = {0, 0};
        for (size_t i = 0; i < out.size(); i++)
            energy[i & 1] += (double)out[i] * out[i];
        EXPECT_GT(energy[left[c] ? 0 : 1], 1e9) << "channel " << c;
        EXPECT_EQ(energy[left[c] ? 1 : 0], 0.0) << "channel " << c;
    }
}

TEST(Render, FirstRowSoundsAfter100ms)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = {428, 1, 0, 0};
    std::vector<int16_t> out = render(song, DSM_INTEGER, 6000);
    size_t first = 0;
    while (first < 6000 && out[2 * first] == 0 && out[2 * first + 1] == 0)
        first++;
    // The sine starts at 0; its second sample comes 44100 / 8287 frames later.
    EXPECT_GE(first, 4410u);
    EXPECT_LE(first, 4410u + 6);
}

// At tempo 121 a tick is 4410000 / 4840 = 911.16 frames: every tick lasts
// 911 whole frames, as the trackers count, not the wave device's even 912.
TEST(Render, TicksAtAnOddTempoLastWholeFrames)
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = {0, 0, 15, 121};
    song.patterns[0].cells[32][0] = {428, 1, 0, 0};
    const uint32_t frames = 182000;
    std::vector<int16_t> out = render(song, DSM_INTEGER, frames);
    size_t first = 0;
    while (first < frames && out[2 * first] == 0 && out[2 * first + 1] == 0)
        first++;
    // Five ticks of 882 frames at tempo 125, then 32 rows of 6 ticks at 911.
    size_t start = 5 * 882 + 32 * 6 * 911;
    EXPECT_GE(first, start);
    EXPECT_LE(first, start + 6);
}

TEST(Render, IntegerAndFloatAgreeOnAModule)
{
    modSong_T song = fx_toneSong(50, 3);
    song.samples[1] = fx_rampSong(3000).samples[0];
    song.samples[1].volume = 48;
    song.patterns[0].cells[0][0] = {428, 1, 0, 0};
    song.patterns[0].cells[0][1] = {320, 2, 0xA, 0x02};
    song.patterns[0].cells[2][2] = {214, 1, 0x4, 0x48};
    song.patterns[0].cells[3][3] = {570, 2, 0x0, 0x37};
    int saved = mpSettings.filterMode;
    mpSettings.filterMode = 0;
    std::vector<int16_t> a = render(song, DSM_INTEGER, 30000);
    std::vector<int16_t> b = render(song, DSM_FLOAT, 30000);
    mpSettings.filterMode = saved;
    for (size_t i = 0; i < a.size(); i++)
        ASSERT_NEAR(a[i], b[i], 4) << i;
}

} // namespace
