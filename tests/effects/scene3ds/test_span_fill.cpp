// The triangle fillers: what they draw, where they stop, and how they blend.
#include <gtest/gtest.h>

#include <vector>

#include "effects/scene3ds/scene_tables.h"
#include "effects/scene3ds/span_fill.h"
#include "platform/display.h"
#include "render/pixel_tables.h"

namespace {

const uint16_t kUntouched = 0xF81F;
const int kPitch = 320;
const int kGuardRows = 2;

// A 320 x 240 surface with guard rows above and below that must stay untouched.
struct SpanFill : ::testing::Test {
    std::vector<uint16_t> memory;
    std::vector<uint16_t> texture;   // texel (u, v) holds u | v << 8
    std::vector<uint8_t> light;
    std::vector<uint16_t> shade;     // colour c at level j: j << 8 | c

    void SetUp() override
    {
        pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
        initSceneTables();
        surfacePitch = kPitch;
        texture.resize(65536);
        for (int i = 0; i < 65536; i++)
            texture[i] = uint16_t(i);
        light.assign(65536, 0);
        shade.resize(256 * 256);
        for (int c = 0; c < 256; c++)
            for (int j = 0; j < 256; j++)
                shade[256 * c + j] = uint16_t(j << 8 | c);
        clear(kUntouched);
    }
    void clear(uint16_t value) { memory.assign(kPitch * (240 + 2 * kGuardRows), value); }
    uint16_t* surface() { return memory.data() + kGuardRows * kPitch; }
    uint16_t at(int x, int y) { return surface()[y * kPitch + x]; }
    int written()
    {
        int n = 0;
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++)
                n += at(x, y) != kUntouched;
        return n;
    }
    void expectGuardsUntouched()
    {
        for (int i = 0; i < kGuardRows * kPitch; i++) {
            ASSERT_EQ(memory[i], kUntouched);
            ASSERT_EQ(memory[memory.size() - 1 - i], kUntouched);
        }
    }
    void plain(spanVertex_T a, spanVertex_T b, spanVertex_T c) { span_plain(surface(), texture.data(), &a, &b, &c); }
};

spanVertex_T corner(int x, int y, int a = 0, int b = 0, int s = 0, int t = 0)
{
    return spanVertex_T{int16_t(x), int16_t(y), {int16_t(a), int16_t(b), int16_t(s), int16_t(t)}};
}

// Half of a 5-6-5 pixel, channel by channel, rounded down.
uint16_t half565(uint16_t p)
{
    return uint16_t((((p >> 11) & 31) >> 1) << 11 | (((p >> 5) & 63) >> 1) << 5 | ((p & 31) >> 1));
}

}

TEST_F(SpanFill, TriangleOnOneRowOrOneLineDrawsNothing)
{
    plain(corner(10, 50), corner(200, 50), corner(100, 50));
    // Corners on one sloped line: no width at the middle row.
    plain(corner(10, 10), corner(60, 60), corner(110, 110));
    EXPECT_EQ(written(), 0);
}

TEST_F(SpanFill, TrianglesOffTheScreenDrawNothing)
{
    const int cases[][6] = {
        {10, -60, 200, -1, 100, -30},     // above row 0
        {10, 240, 200, 300, 100, 260},    // below row 239
        {-100, 10, -10, 100, -50, 200},   // left of column 0
        {320, 10, 400, 100, 330, 200},    // column 320 and beyond
    };
    for (const auto& c : cases)
        plain(corner(c[0], c[1]), corner(c[2], c[3]), corner(c[4], c[5]));
    EXPECT_EQ(written(), 0);
    expectGuardsUntouched();
}

TEST_F(SpanFill, RowsOutsideTheViewportAreSkipped)
{
    plain(corner(5, -400, 0, 0), corner(300, 100, 255, 0), corner(20, 900, 0, 255));
    expectGuardsUntouched();
    EXPECT_NE(at(100, 0), kUntouched);
    EXPECT_NE(at(100, 239), kUntouched);
}

TEST_F(SpanFill, LeftBorderClipAdvancesTheAttributes)
{
    // The same triangle drawn 150 pixels to the left (crossing column 0) and
    // in full: every visible pixel of the clipped one equals its twin.
    const int shift = 150;
    plain(corner(-100 + shift, 10, 0, 0), corner(100 + shift, 30, 200, 20), corner(-100 + shift, 140, 0, 130));
    const std::vector<uint16_t> whole = memory;
    clear(kUntouched);
    plain(corner(-100, 10, 0, 0), corner(100, 30, 200, 20), corner(-100, 140, 0, 130));

    int compared = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x + shift < 320; x++) {
            const uint16_t twin = whole[(kGuardRows + y) * kPitch + x + shift];
            ASSERT_EQ(at(x, y), twin) << x << "," << y;
            compared += twin != kUntouched;
        }
    EXPECT_GT(compared, 3000);
    // At column 0 of row 30 the texture is already about 100 texels in.
    EXPECT_NEAR(at(0, 30) & 255, 100, 2);
}

TEST_F(SpanFill, ColumnClipMaxIsNeverWritten)
{
    plain(corner(200, 0), corner(400, 0), corner(200, 200));
    plain(corner(250, 210), corner(319, 210), corner(319, 239));   // right side on column 319
    for (int y = 0; y < 240; y++)
        ASSERT_EQ(at(319, y), kUntouched) << y;
    EXPECT_NE(at(318, 10), kUntouched);
    EXPECT_NE(at(318, 215), kUntouched);
    expectGuardsUntouched();
}

TEST_F(SpanFill, RowsFollowThePitch)
{
    const spanVertex_T a = corner(10, 5, 0, 0), b = corner(200, 40, 190, 35), c = corner(30, 100, 20, 95);
    plain(a, b, c);
    const std::vector<uint16_t> narrow = memory;
    surfacePitch = 400;
    std::vector<uint16_t> wide(400 * 240, kUntouched);
    span_plain(wide.data(), texture.data(), &a, &b, &c);
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            ASSERT_EQ(wide[400 * y + x], narrow[(kGuardRows + y) * kPitch + x]);
}

TEST_F(SpanFill, LightLevelZeroGivesShadeZeroOfEachTexel)
{
    const spanVertex_T a = corner(20, 20, 0, 0, 0, 0), b = corner(220, 40, 200, 20, 255, 30),
                       c = corner(40, 200, 20, 180, 10, 255);
    // Texel colour indices 0..255 along u.
    for (int i = 0; i < 65536; i++)
        texture[i] = uint16_t(i & 255);
    span_lit(surface(), texture.data(), light.data(), shade.data(), &a, &b, &c);
    int lit = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            if (at(x, y) != kUntouched) {
                ASSERT_EQ(at(x, y) >> 8, 0) << x << "," << y;
                lit++;
            }
    EXPECT_GT(lit, 10000);
    // The level comes from the light map at (s, t): here a constant 77.
    light.assign(65536, 77);
    clear(kUntouched);
    span_lit(surface(), texture.data(), light.data(), shade.data(), &a, &b, &c);
    EXPECT_EQ(at(60, 60) >> 8, 77);
    EXPECT_NEAR(at(60, 60) & 255, 40, 1);   // u there is 40
}

TEST_F(SpanFill, BlendedOverBlackIsHalfTheUnblendedPixel)
{
    // Real colours this time, every channel bit in use: colour indices
    // 0..255 in the texture for the lit fillers, pixels for the plain ones.
    for (int i = 0; i < 65536; i++)
        texture[i] = uint16_t(i * 40503u >> 8 & 255);
    for (size_t i = 0; i < shade.size(); i++)
        shade[i] = uint16_t(i * 2654435761u >> 7);
    for (int i = 0; i < 65536; i++)
        light[i] = uint8_t(i * 7);
    const spanVertex_T a = corner(20, 20, 0, 0, 0, 0), b = corner(250, 60, 230, 40, 200, 30),
                       c = corner(60, 220, 40, 200, 20, 210);
    using filler4 = void (*)(uint16_t*, const uint16_t*, const uint8_t*, const uint16_t*, const spanVertex_T*,
                             const spanVertex_T*, const spanVertex_T*);
    const struct {
        filler4 solid, blended;
    } lit[] = {{span_lit, span_litBlend}};
    for (const auto& f : lit) {
        clear(0);
        f.solid(surface(), texture.data(), light.data(), shade.data(), &a, &b, &c);
        const std::vector<uint16_t> solid = memory;
        clear(0);
        f.blended(surface(), texture.data(), light.data(), shade.data(), &a, &b, &c);
        for (size_t i = 0; i < memory.size(); i++)
            ASSERT_EQ(memory[i], half565(solid[i])) << i;
    }
    for (int i = 0; i < 65536; i++)
        texture[i] = uint16_t(i * 40503u);
    clear(0);
    span_plain(surface(), texture.data(), &a, &b, &c);
    const std::vector<uint16_t> solid = memory;
    clear(0);
    span_plainBlend(surface(), texture.data(), &a, &b, &c);
    int nonBlack = 0;
    for (size_t i = 0; i < memory.size(); i++) {
        ASSERT_EQ(memory[i], half565(solid[i])) << i;
        nonBlack += memory[i] != 0;
    }
    EXPECT_GT(nonBlack, 10000);
}

TEST_F(SpanFill, BlendAddsHalfOfWhatIsUnder)
{
    for (int i = 0; i < 65536; i++)
        texture[i] = 0xFFFF;
    clear(0x8410);   // grey: 16, 32, 16
    const spanVertex_T a = corner(0, 0), b = corner(100, 0), c = corner(0, 100);
    span_plainBlend(surface(), texture.data(), &a, &b, &c);
    // (31, 63, 31) / 2 + (16, 32, 16) / 2 = (23, 47, 23)
    EXPECT_EQ(at(10, 10), 23 << 11 | 47 << 5 | 23);
    EXPECT_EQ(at(200, 10), 0x8410);
}

TEST_F(SpanFill, NormalModeBlendStepsBeforeItReads)
{
    // Colour index and light level both follow s; level 0 everywhere.
    for (int i = 0; i < 65536; i++)
        texture[i] = uint16_t(i & 255);
    for (int c = 0; c < 256; c++)
        shade[256 * c] = uint16_t(0x8001 | c << 3);   // never 0
    const spanVertex_T a = corner(10, 10, 0, 0), b = corner(260, 30, 250, 20), c = corner(30, 200, 20, 190);
    clear(0);
    span_litNormal(surface(), texture.data(), light.data(), shade.data(), &a, &b, &c);
    const std::vector<uint16_t> solid = memory;
    clear(0);
    span_litNormalBlend(surface(), texture.data(), light.data(), shade.data(), &a, &b, &c);
    int compared = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x + 1 < 320; x++) {
            const size_t i = (kGuardRows + y) * kPitch + x;
            if (solid[i] == 0 || solid[i + 1] == 0)
                continue;   // the last pixel of a row has no twin
            ASSERT_EQ(memory[i], half565(solid[i + 1])) << x << "," << y;
            compared++;
        }
    EXPECT_GT(compared, 10000);
}
