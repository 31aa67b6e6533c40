#include <gtest/gtest.h>

#include <vector>

#include "effects/greetings/greetings.h"
#include "effects/greetings/greetings_entries.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "gfx2d/particles.h"
#include "platform/crand.h"
#include "tests/screen_scratch.h"

namespace {

const int firstFrame = 1300;   // the timeline's first greetings frame
const uint64_t fullWhite = 320ull * 240 * 765;

void writeClosingPicture(screenScratch_T& dir, uint32_t colour)
{
    dir.writePcx("zant\\theend.pcx", std::vector<uint32_t>(320 * 240, colour), 320, 240);
}

// How many generator draws fn makes.
template <typename Fn>
int drawsDuring(Fn fn)
{
    crt_srand(4242);
    fn();
    int a = crt_rand(), b = crt_rand();
    crt_srand(4242);
    for (int n = 0; n < 100; n++) {
        int x = crt_rand();
        if (x == a) {
            int saved = crt_rand();
            if (saved == b)
                return n;
        }
    }
    return -1;
}

}  // namespace

TEST(GreetEntries, StartFramesTargetsAndTexts)
{
    greetEntry_T e[GREET_ENTRIES];
    greetings_setEntries(e);
    EXPECT_EQ(e[0].startFrame, 28);
    EXPECT_EQ(e[1].startFrame, 66);
    EXPECT_EQ(e[25].startFrame, 978);
    EXPECT_STREQ(e[0].text, "GREETINGS");
    EXPECT_FLOAT_EQ(e[19].targetX, 130);
    EXPECT_FLOAT_EQ(e[19].targetY, 27);
    EXPECT_FLOAT_EQ(e[20].targetX, 5);
    for (int i = 1; i < GREET_ENTRIES; i++)
        EXPECT_NE(e[i].text, nullptr);
}

TEST(GreetEntries, SpawnAtStartDrawFromTheNextFrame)
{
    greetEntry_T e[GREET_ENTRIES];
    greetings_setEntries(e);
    EXPECT_EQ(greetings_stepEntry(&e[0], 27), 0);
    EXPECT_EQ(e[0].posY, 0.0f);

    crt_srand(77);
    int draw = crt_rand();
    crt_srand(77);
    EXPECT_EQ(greetings_stepEntry(&e[0], 28), 0);        // placed, not drawn
    EXPECT_FLOAT_EQ(e[0].posX, (float)(draw / 117) + 150 - 140);
    EXPECT_FLOAT_EQ(e[0].posY, 200);                      // below rows 60 .. 179
    EXPECT_EQ(e[0].velX, 0.0f);

    EXPECT_EQ(greetings_stepEntry(&e[0], 29), 1);
    EXPECT_LT(e[0].posY, 200.0f);                         // the spring pulls it up
    EXPECT_GT(e[0].posY, 180.0f);                         // but not into the band yet
}

TEST(GreetEntries, HangsOnTheSpringThenFalls)
{
    greetEntry_T e[GREET_ENTRIES];
    greetings_setEntries(e);
    crt_srand(3);
    for (int t = 0; t <= 79; t++)
        greetings_stepEntry(&e[0], 28 + t);
    // After 79 spring frames it hangs near its resting point, roughly 76
    // pixels below its target, inside the band.
    EXPECT_GT(e[0].posY, 60.0f);
    EXPECT_LT(e[0].posY, 179.0f);
    float before = e[0].posY;
    for (int t = 80; t <= 120; t++)
        greetings_stepEntry(&e[0], 28 + t);
    EXPECT_GT(e[0].posY, 180.0f);                         // fallen out of the band for good
    EXPECT_GT(e[0].posY, before);
}

TEST(GreetEntries, NoSpringForceExactlyOnTheTarget)
{
    greetEntry_T e = {0, 40, 60, 0, 0, 40, 60, "X"};
    EXPECT_EQ(greetings_stepEntry(&e, 1), 1);
    EXPECT_FLOAT_EQ(e.posX, 40);
    EXPECT_FLOAT_EQ(e.velX, 0);
    EXPECT_FLOAT_EQ(e.velY, 0.21f * 0.98f);
}

TEST(Greetings, InitFailsWithoutTheClosingPicture)
{
    screenScratch_T dir;
    gbuffer_T work;
    work.init(320, 240);
    EXPECT_EQ(greetings_init(&work), -1);
    writeClosingPicture(dir, 0x404040);
    EXPECT_EQ(greetings_init(&work), 0);
    greetings_release();
}

TEST(Greetings, GeneratorDrawsPerFrameByMode)
{
    screenScratch_T dir;
    writeClosingPicture(dir, 0x404040);
    gbuffer_T work;
    work.init(320, 240);
    ASSERT_EQ(greetings_init(&work), 0);
    auto frame = [&](int elapsed, int mode) {
        return drawsDuring([&] { greetings_frame(&work, firstFrame + elapsed, mode); });
    };
    EXPECT_EQ(frame(0, 1), 0);
    EXPECT_EQ(frame(4, 1), 0);
    EXPECT_EQ(frame(5, 1), 2);      // a burst: its column, then its strength
    EXPECT_EQ(frame(28, 1), 1);     // entry 0 spawns
    EXPECT_EQ(frame(29, 1), 2);     // 29 % 6 = 5: a burst, entry 0 drawn without draws
    EXPECT_EQ(frame(31, 0), 1);     // the chase strength
    EXPECT_EQ(frame(60, 0), 3);     // the point jumps: column, row, then the strength
    EXPECT_EQ(frame(1040, 0), 1);
    EXPECT_EQ(frame(1041, 0), 1 + 12);   // the closing picture's three shaken blits
    greetings_release();
}

TEST(Greetings, CullingStartsAfterElapsed1000)
{
    screenScratch_T dir;
    writeClosingPicture(dir, 0x404040);
    gbuffer_T work;
    work.init(320, 240);
    ASSERT_EQ(greetings_init(&work), 0);
    const particleSystem_T* ps = greetings_particles();
    EXPECT_EQ(ps->count, 2000u);
    greetings_frame(&work, firstFrame, 1);
    EXPECT_EQ(ps->boundMode, PARTICLE_BOUNCE);
    EXPECT_FLOAT_EQ(ps->boxMax[0], 240 - 66);
    greetings_frame(&work, firstFrame + 1000, 0);
    EXPECT_EQ(ps->boundMode, PARTICLE_BOUNCE);
    greetings_frame(&work, firstFrame + 1001, 0);
    EXPECT_EQ(ps->boundMode, PARTICLE_CULL);
    EXPECT_FLOAT_EQ(ps->boxMin[0], 0);
    EXPECT_FLOAT_EQ(ps->boxMin[1], 0);
    EXPECT_FLOAT_EQ(ps->boxMax[0], 240);
    EXPECT_FLOAT_EQ(ps->boxMax[1], 320);
    greetings_release();
}

// The screen set up with a closing picture of one colour, its first frame drawn.
void startWithPicture(screenScratch_T& dir, gbuffer_T& work, uint32_t colour)
{
    writeClosingPicture(dir, colour);
    work.init(320, 240);
    ASSERT_EQ(greetings_init(&work), 0);
    greetings_frame(&work, firstFrame, 1);
}

TEST(Greetings, ClosingPictureFrom1041)
{
    screenScratch_T dir;
    gbuffer_T work;
    startWithPicture(dir, work, 0xFFFFFF);
    greetings_frame(&work, firstFrame + 1040, 0);
    // Green sparks alone can never light more than a third of the channels.
    EXPECT_LT(screenTest_brightness(work), fullWhite / 3);
    greetings_frame(&work, firstFrame + 1041, 0);
    EXPECT_GT(screenTest_brightness(work), fullWhite * 8 / 10);
    greetings_release();
}

TEST(Greetings, LinesShowOnlyInsideTheBand)
{
    std::vector<std::vector<uint32_t>> withFont, without;
    for (int pass = 0; pass < 2; pass++) {
        screenScratch_T dir;
        writeClosingPicture(dir, 0x404040);
        if (pass == 0)
            screenTest_writeBlockFont(dir, "asdf.jdt", 0xFFFFFF, GPL_ADD);
        gbuffer_T work;
        work.init(320, 240);
        crt_srand(1);
        ASSERT_EQ(greetings_init(&work), 0);
        std::vector<std::vector<uint32_t>>& frames = pass == 0 ? withFont : without;
        for (int e = 0; e <= 70; e++) {
            greetings_frame(&work, firstFrame + e, 1);
            frames.emplace_back(work.pixels, work.pixels + work.pixelCount);
        }
        greetings_release();
    }
    // Entry 0 is placed at 28, drawn from 29, but starts below the band.
    for (int e = 0; e <= 30; e++)
        EXPECT_EQ(withFont[e], without[e]) << "elapsed " << e;
    // Risen into the band it shows there, and never outside rows 60 .. 179
    // (two smoothing passes blur one row up).
    EXPECT_NE(withFont[70], without[70]);
    for (int e = 31; e <= 70; e++) {
        for (size_t i = 0; i < withFont[e].size(); i++) {
            if (withFont[e][i] == without[e][i])
                continue;
            int row = (int)(i / 320);
            ASSERT_GE(row, 58) << "elapsed " << e;
        }
    }
}

// Each shaken blit of the closing picture blends with the frame as it was
// before that blit: a mid-grey picture over black settles near
// 0x40 / 2 / 2 + 0x40 / 2 + 0x40 = 0x70 per channel, every frame alike.
// Blended in place, the additive blit would feed on its own sums and run
// to white.
TEST(Greetings, ClosingPictureGlowsWithoutRunningToWhite)
{
    screenScratch_T dir;
    gbuffer_T work;
    startWithPicture(dir, work, 0x404040);
    for (int e = 1041; e <= 1100; e++) {
        greetings_frame(&work, firstFrame + e, 0);
        uint64_t b = screenTest_brightness(work);
        EXPECT_GT(b, fullWhite * 0x50 / 255) << "elapsed " << e;
        EXPECT_LT(b, fullWhite * 0x80 / 255) << "elapsed " << e;
    }
    greetings_release();
}
