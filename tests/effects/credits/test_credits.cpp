#include <gtest/gtest.h>

#include <vector>

#include "effects/credits/credits.h"
#include "effects/credits/credits_entries.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "platform/crand.h"
#include "tests/screen_scratch.h"

namespace {

struct placeCase_T {
    int entry;
    int elapsed;
    int shown;
    int x, y;
};

// Renders frames 1 .. last of the credits into one image per frame.
std::vector<std::vector<uint32_t>> runCredits(int last)
{
    gbuffer_T work;
    work.init(320, 240);
    crt_srand(342);
    EXPECT_EQ(credits_init(&work), 0);
    std::vector<std::vector<uint32_t>> frames;
    for (int frame = 1; frame <= last; frame++) {
        credits_frame(&work, frame);
        frames.emplace_back(work.pixels, work.pixels + work.pixelCount);
    }
    credits_release();
    return frames;
}

int firstDifferentRow(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    for (size_t i = 0; i < a.size(); i++)
        if (a[i] != b[i])
            return (int)(i / 320);
    return -1;
}

}  // namespace

TEST(CreditEntries, ShownBetweenItsFramesAndStoppedAtItsLimits)
{
    const placeCase_T cases[] = {
        {0, 40, 0, 0, 0},          // both bounds are exclusive
        {0, 41, 1, 120, 140},      // headings stand still, whatever their limits
        {1, 40, 0, 0, 0},
        {1, 41, 1, 313, 20},
        {1, 131, 1, -317, 20},
        {1, 132, 1, -320, 20},     // 320 - 7 x 92 = -324 stops at -320
        {1, 339, 1, -320, 20},
        {1, 340, 0, 0, 0},
        {4, 200, 1, -149, 20},
        {13, 491, 0, 0, 0},
        {13, 525, 1, 30, 36},
        {13, 526, 1, 30, 40},      // t = 35: -100 + 140
        {13, 540, 1, 30, 40},
        {13, 541, 0, 0, 0},
        {14, 521, 1, 60, 100},     // rising from 220 stops at 100 at t = 30
        {14, 520, 1, 60, 104},
        {16, 598, 1, 130, 100},
    };
    for (const placeCase_T& c : cases) {
        int32_t x = 0, y = 0;
        int shown = credits_entryAt(&creditEntries[c.entry], c.elapsed, &x, &y);
        EXPECT_EQ(shown, c.shown) << "entry " << c.entry << " at " << c.elapsed;
        if (shown && c.shown) {
            EXPECT_EQ(x, c.x) << "entry " << c.entry << " at " << c.elapsed;
            EXPECT_EQ(y, c.y) << "entry " << c.entry << " at " << c.elapsed;
        }
    }
}

TEST(CreditEntries, NameThreeIsCreditedTwice)
{
    EXPECT_STREQ(creditEntries[3].text, creditEntries[8].text);
    EXPECT_STREQ(creditEntries[13].text, creditEntries[15].text);
    EXPECT_STREQ(creditEntries[14].text, creditEntries[16].text);
    EXPECT_STREQ(creditEntries[0].text, "CODE");
    EXPECT_STREQ(creditEntries[5].text, "GFX");
    EXPECT_STREQ(creditEntries[10].text, "MUSIC");
}

TEST(Credits, TextAppearsFromElapsed41InTheNameRows)
{
    std::vector<std::vector<uint32_t>> withFont, without;
    {
        screenScratch_T dir;
        screenTest_writeBlockFont(dir, "asdfasdf.jdt", 0xFFFFFF, GPL_KEYED);
        withFont = runCredits(43);
    }
    {
        screenScratch_T dir;   // no font: it draws nothing, the rest is the same
        without = runCredits(43);
    }
    // Frame 41 is elapsed 40: nothing from the table yet.
    EXPECT_EQ(firstDifferentRow(withFont[40], without[40]), -1);
    // Frame 42 is elapsed 41: name 1 at y = 20 (the smoothing reads one row
    // down, so row 19 changes too) and nothing above it.
    EXPECT_EQ(firstDifferentRow(withFont[41], without[41]), 19);
    // "CODE" at (120, 140): white glyph pixels there.
    EXPECT_GT(withFont[41][145 * 320 + 130] & 0xFF, 0xE0u);
    EXPECT_GT(withFont[41][23 * 320 + 315] & 0xFF, 0xE0u);       // name 1 from x = 313
}

TEST(Credits, AttractionPointJumpsAtFrames5And65)
{
    gbuffer_T work;
    work.init(320, 240);
    credits_init(&work);
    // Only the point's jump draws from the generator during a frame: two
    // draws at frame 5 and 65, none at the others.
    for (int frame = 1; frame <= 66; frame++) {
        crt_srand(1000 + frame);
        credits_frame(&work, frame);
        int next = crt_rand();
        crt_srand(1000 + frame);
        int expectedDraws = (frame == 5 || frame == 65) ? 2 : 0;
        for (int i = 0; i < expectedDraws; i++)
            crt_rand();
        EXPECT_EQ(next, crt_rand()) << "frame " << frame;
    }
    credits_release();
}

TEST(Credits, BackgroundFollowsTheFrameNumber)
{
    gbuffer_T work;
    work.init(320, 240);
    credits_init(&work);
    credits_frame(&work, 1);
    // 90 + 30 sin(44), 90 + 30 sin(88), 90 + 30 sin(132) truncated: 90, 91,
    // 91. The first row is never smoothed and the particles stay below row 10.
    EXPECT_EQ(work.pixels[319], (90u << 16) | (91u << 8) | 91u);
    credits_frame(&work, 2);
    // 90 + 30 sin(88), sin(176), sin(264) truncated: 91, 92, 93.
    EXPECT_EQ(work.pixels[0], (91u << 16) | (92u << 8) | 93u);
    credits_release();
}
