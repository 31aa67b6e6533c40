#include <gtest/gtest.h>

#include "formats/pcx.h"
#include "formats/pcx_writer.h"
#include "gfx2d/gbuffer.h"
#include "tests/test_tmp.h"

namespace {
// Deterministic test content with long runs, single bytes and values of 0xC0
// and above, which the writer must escape.
uint8_t patternByte(int x, int y, int salt)
{
    if (y % 3 == 0)
        return (uint8_t)(0xC0 + salt);                        // a whole line of one value: runs > 63
    if (x % 7 < 3)
        return (uint8_t)(0xFF - salt);                        // short runs of high values
    return (uint8_t)((x * 37 + y * 11 + salt * 5) & 0xFF);    // mixed single bytes
}
}

TEST(PcxWriter, EightBitRoundTrip)
{
    const int w = 151, h = 7;   // odd width: lines are padded
    std::vector<uint8_t> indices((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            indices[(size_t)y * w + x] = patternByte(x, y, 0);
    uint8_t palette[768];
    for (int i = 0; i < 768; i++)
        palette[i] = (uint8_t)(i * 7 + 3);
    std::vector<uint8_t> file = pcx_encode8(indices.data(), w, h, palette);
    pcxHeader_T header;
    pcx_parseHeader(file.data(), &header);
    EXPECT_EQ(header.bytesPerLine, 152);
    EXPECT_EQ(file[file.size() - 769], 0x0C);

    gbuffer_T dst;
    ASSERT_EQ(gpl_loadPcx(testTmp_writeFile("round8.pcx", file).c_str(), &dst), PCX_OK);
    ASSERT_EQ(dst.width, w);
    ASSERT_EQ(dst.height, h);
    for (int i = 0; i < w * h; i++) {
        const uint8_t* rgb = palette + indices[i] * 3;
        ASSERT_EQ(dst.pixels[i], ((uint32_t)rgb[0] << 16) | ((uint32_t)rgb[1] << 8) | rgb[2]) << "pixel " << i;
    }
}

TEST(PcxWriter, TwentyFourBitRoundTrip)
{
    const int w = 67, h = 5;
    std::vector<uint32_t> pixels((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            pixels[(size_t)y * w + x] = ((uint32_t)patternByte(x, y, 1) << 16) |
                                        ((uint32_t)patternByte(x + 3, y, 2) << 8) | patternByte(x, y + 1, 3);
    std::vector<uint8_t> file = pcx_encode24(pixels.data(), w, h);
    gbuffer_T dst;
    ASSERT_EQ(gpl_loadPcx(testTmp_writeFile("round24.pcx", file).c_str(), &dst), PCX_OK);
    ASSERT_EQ(dst.width, w);
    ASSERT_EQ(dst.height, h);
    for (int i = 0; i < w * h; i++)
        ASSERT_EQ(dst.pixels[i], pixels[i]) << "pixel " << i;
}

TEST(PcxWriter, RunsStayWithinLinesAndEscapeHighBytes)
{
    const uint8_t line[4] = {0xC0, 0xC0, 0x05, 0xC7};
    uint8_t palette[768] = {};
    std::vector<uint8_t> file = pcx_encode8(line, 4, 1, palette);
    std::vector<uint8_t> data(file.begin() + PCX_HEADER_SIZE, file.end() - 769);
    EXPECT_EQ(data, (std::vector<uint8_t>{0xC2, 0xC0, 0x05, 0xC1, 0xC7}));
}
