// Font descriptions found by fuzzing the font reader (fuzz/formats/fuzz_font.cpp),
// kept as the bytes that broke it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/font.h"
#include "gfx2d/gbuffer.h"
#include "tests/screen_scratch.h"

namespace {

// The greetings description with "fontSpace = 01e38": the number was turned
// into an integer as it was, outside the 32-bit range.
const std::vector<uint8_t> hugeSpace = {
    0x23, 0x20, 0x67, 0x72, 0x65, 0x65, 0x74, 0x69, 0x6e, 0x67, 0x73, 0x20, 0x66, 0x6f, 0x6e, 0x74, 0x3a, 0x20,
    0x67, 0x6c, 0x6f, 0x77, 0x69, 0x6e, 0x67, 0x20, 0x64, 0x6f, 0x74, 0x73, 0x0d, 0x0a, 0x66, 0x6f, 0x6e, 0x74,
    0x50, 0x69, 0x63, 0x20, 0x3d, 0x20, 0x22, 0x61, 0x73, 0x64, 0x66, 0x2e, 0x70, 0x63, 0x78, 0x22, 0x0d, 0x0a,
    0x66, 0x6f, 0x6e, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x2e, 0x2c, 0x21, 0x3f, 0x2d, 0x27, 0x3a, 0x26, 0x2f,
    0x28, 0x29, 0x22, 0x0d, 0x0a, 0x66, 0x6f, 0x6e, 0x74, 0x53, 0x70, 0x61, 0x63, 0x65, 0x20, 0x3d, 0x20, 0x30,
    0x31, 0x65, 0x33, 0x38, 0x0d, 0x0a, 0x66, 0x6f, 0x6e, 0x74, 0x44, 0x75, 0x6d, 0x70, 0x49, 0x44, 0x20, 0x3d,
    0x20, 0x31, 0x30, 0x0d, 0x0a, 0x66, 0x6f, 0x6e, 0x74, 0x4d, 0x61, 0x74, 0x72, 0x69, 0x78, 0x48, 0x65, 0x69,
    0x67, 0x68, 0x74, 0x20, 0x3d, 0x20, 0x32, 0x34, 0x0d, 0x0a, 0x66, 0x6f, 0x6e, 0x74, 0x4d, 0x61, 0x74, 0x72,
    0x69, 0x78, 0x57, 0x69, 0x64, 0x74, 0x68, 0x20, 0x3d, 0x20, 0x31, 0x30, 0x0d, 0x0a,
};

// The same description with one line replaced.
std::vector<uint8_t> withLine(const char* from, const char* to)
{
    std::string text(hugeSpace.begin(), hugeSpace.end());
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, std::string(from).size(), to);
    return std::vector<uint8_t>(text.begin(), text.end());
}

class FontRegressions : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A 64 x 48 sheet: room for the description's 10 x 24 cells.
        dir.writePcx("asdf.pcx", std::vector<uint32_t>(64 * 48, 0x00FF8040), 64, 48);
    }
    void load(const std::vector<uint8_t>& description)
    {
        dir.write("font.jdt", description);
        font.init("font.jdt");
    }
    screenScratch_T dir;
    gfont_T font;
};

}  // namespace

TEST_F(FontRegressions, HugeSpaceIsHeldToTheIntegerRange)
{
    load(hugeSpace);
    ASSERT_EQ(font.errorFlags, 0u);
    ASSERT_EQ(font.initialized, 1u);
    EXPECT_EQ(font.space, INT32_MAX);
    EXPECT_EQ(font.matrixWidth, 10);
    // The pen stops at the end of the range instead of wrapping around.
    gbuffer_T screen;
    screen.init(32, 32);
    EXPECT_EQ(font.drawText(0, 0, 1, &screen, "AB"), INT32_MAX);
}

TEST_F(FontRegressions, HugeNegativeSpaceIsHeldToTheIntegerRange)
{
    load(withLine("01e38", "-1e38"));
    ASSERT_EQ(font.initialized, 1u);
    EXPECT_EQ(font.space, INT32_MIN);
    gbuffer_T screen;
    screen.init(32, 32);
    EXPECT_EQ(font.drawText(5, 0, 1, &screen, "AB"), INT32_MIN);
}

TEST_F(FontRegressions, HugeCellSizesAreRefused)
{
    for (const char* size : {"fontMatrixWidth = 1e38", "fontMatrixWidth = -1e38", "fontMatrixWidth = 1e999"}) {
        gfont_T fresh;
        dir.write("font.jdt", withLine("fontMatrixWidth = 10", size));
        fresh.init("font.jdt");
        EXPECT_EQ(fresh.errorFlags, (uint32_t)GFONT_ERR_LAYOUT) << size;
        EXPECT_EQ(fresh.initialized, 0u) << size;
    }
    load(withLine("fontMatrixHeight = 24", "fontMatrixHeight = 1e38"));
    EXPECT_EQ(font.errorFlags, (uint32_t)GFONT_ERR_LAYOUT);
}
