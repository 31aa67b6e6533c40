#include <gtest/gtest.h>

#include "formats/pcx.h"
#include "gfx2d/gbuffer.h"
#include "platform/gpl_trace.h"
#include "tests/test_tmp.h"

namespace {
// A PCX file by hand: header fields, raw (already encoded) image data and,
// for 8-bit pictures, a palette whose entry i is (i, 255 - i, i ^ 0x55).
std::vector<uint8_t> pcxFile(int version, int bits, int planes, int width, int height, int bytesPerLine,
                             const std::vector<uint8_t>& data, bool palette)
{
    std::vector<uint8_t> f(PCX_HEADER_SIZE, 0);
    f[0] = 10;
    f[1] = (uint8_t)version;
    f[2] = 1;
    f[3] = (uint8_t)bits;
    f[4] = 2;   // xmin 2, ymin 3: only the differences count
    f[6] = 3;
    f[8] = (uint8_t)(width + 1);
    f[9] = (uint8_t)((width + 1) >> 8);
    f[10] = (uint8_t)(height + 2);
    f[11] = (uint8_t)((height + 2) >> 8);
    f[65] = (uint8_t)planes;
    f[66] = (uint8_t)bytesPerLine;
    for (uint8_t b : data)
        f.push_back(b);
    if (palette) {
        f.push_back(0x0C);
        for (int i = 0; i < 256; i++) {
            f.push_back((uint8_t)i);
            f.push_back((uint8_t)(255 - i));
            f.push_back((uint8_t)(i ^ 0x55));
        }
    }
    return f;
}

uint32_t paletteColour(int i)
{
    return ((uint32_t)i << 16) | ((uint32_t)(255 - i) << 8) | (uint32_t)(i ^ 0x55);
}

int load(const std::vector<uint8_t>& file, gbuffer_T* dst)
{
    return gpl_loadPcx(testTmp_writeFile("pic.pcx", file).c_str(), dst);
}

struct indexedCase_T {
    const char* what;
    int width, height, bytesPerLine;
    std::vector<uint8_t> data;
    std::vector<int> indices;   // expected, row by row
};

const indexedCase_T indexedCases[] = {
    {"one pixel of index 5", 1, 1, 1, {5}, {5}},
    {"run 0xC3 and literal 0xBF", 4, 1, 4, {0xC3, 0x10, 0xBF}, {0x10, 0x10, 0x10, 0xBF}},
    {"run of count 0 produces nothing", 2, 1, 2, {0xC0, 0x55, 0x01, 0x02}, {1, 2}},
    {"run across lines", 2, 2, 2, {0xC4, 0x07}, {7, 7, 7, 7}},
    {"run beyond the last pixel", 1, 1, 1, {0xC5, 0x09}, {9}},
    {"padded lines", 3, 2, 4, {1, 2, 3, 0x33, 4, 5, 6, 0x33}, {1, 2, 3, 4, 5, 6}},
    {"bytes-per-line below the width", 2, 2, 1, {1, 2, 3, 4}, {1, 2, 3, 4}},
};

class PcxIndexed : public ::testing::TestWithParam<indexedCase_T> {};
}

TEST_P(PcxIndexed, DecodesThroughThePalette)
{
    const indexedCase_T& c = GetParam();
    gbuffer_T dst;
    ASSERT_EQ(load(pcxFile(5, 8, 1, c.width, c.height, c.bytesPerLine, c.data, true), &dst), PCX_OK) << c.what;
    ASSERT_EQ(dst.width, c.width);
    ASSERT_EQ(dst.height, c.height);
    for (size_t i = 0; i < c.indices.size(); i++)
        EXPECT_EQ(dst.pixels[i], paletteColour(c.indices[i])) << c.what << " pixel " << i;
}

INSTANTIATE_TEST_SUITE_P(Pcx, PcxIndexed, ::testing::ValuesIn(indexedCases));

TEST(Pcx, TwentyFourBitThreeByTwo)
{
    std::vector<uint8_t> data;
    for (int i = 0; i < 18; i++)
        data.push_back((uint8_t)(i * 10));
    gbuffer_T dst;
    ASSERT_EQ(load(pcxFile(5, 8, 3, 3, 2, 3, data, false), &dst), PCX_OK);
    ASSERT_EQ(dst.width, 3);
    ASSERT_EQ(dst.height, 2);
    // Row 1, column 2: red from decoded byte 11, green from 14, blue from 17.
    EXPECT_EQ(dst.pixels[1 * 3 + 2], (110u << 16) | (140u << 8) | 170u);
    EXPECT_EQ(dst.pixels[0], (0u << 16) | (30u << 8) | 60u);
    EXPECT_EQ(dst.pixels[4], (100u << 16) | (130u << 8) | 160u);
}

TEST(Pcx, TwentyFourBitPaddedLines)
{
    // Width 1, bytes-per-line 2: every plane line carries one pad byte.
    std::vector<uint8_t> data = {10, 0x99, 20, 0x99, 30, 0x99};
    gbuffer_T dst;
    ASSERT_EQ(load(pcxFile(5, 8, 3, 1, 1, 2, data, false), &dst), PCX_OK);
    EXPECT_EQ(dst.pixels[0], (10u << 16) | (20u << 8) | 30u);
}

TEST(Pcx, VersionFourLeavesTheDestinationAlone)
{
    gbuffer_T dst;
    dst.init(2, 2);
    dst.fill(1, 2, 3);
    EXPECT_EQ(load(pcxFile(4, 8, 1, 1, 1, 1, {5}, true), &dst), PCX_ERR_VERSION);
    EXPECT_EQ(dst.width, 2);
    EXPECT_EQ(dst.pixels[3], 0x010203u);
}

TEST(Pcx, FourBitPictureIsBlackOfItsSize)
{
    gbuffer_T dst;
    dst.init(1, 1);
    dst.fill(9, 9, 9);
    EXPECT_EQ(load(pcxFile(5, 4, 1, 4, 2, 2, {0x12, 0x34, 0x56, 0x78}, false), &dst), PCX_OK);
    ASSERT_EQ(dst.width, 4);
    ASSERT_EQ(dst.height, 2);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(dst.pixels[i], 0u);
}

TEST(Pcx, FailuresGiveTheirCodes)
{
    std::vector<uint8_t> rgb(18, 7);
    struct {
        const char* what;
        std::vector<uint8_t> file;
        int code;
    } cases[] = {
        {"truncated 24-bit data", pcxFile(5, 8, 3, 3, 2, 3, std::vector<uint8_t>(10, 7), false), PCX_ERR_READ},
        {"run byte at the very end", pcxFile(5, 8, 3, 1, 1, 1, {1, 2, 0xC1}, false), PCX_ERR_READ},
        {"shorter than a header", std::vector<uint8_t>(60, 10), PCX_ERR_READ},
        {"8-bit without room for a palette", pcxFile(5, 8, 1, 1, 1, 1, {5}, false), PCX_ERR_READ},
        {"size the file cannot hold", pcxFile(5, 8, 3, 60000, 60000, 0, rgb, false), PCX_ERR_READ},
        {"24 bits in one plane", pcxFile(5, 24, 1, 3, 2, 9, rgb, false), PCX_ERR_LAYOUT},
        {"1 bit in 8 planes", pcxFile(5, 1, 8, 8, 1, 1, rgb, true), PCX_ERR_LAYOUT},
    };
    for (auto& c : cases) {
        gbuffer_T dst;
        EXPECT_EQ(load(c.file, &dst), c.code) << c.what;
    }
}

TEST(Pcx, HugeClaimDoesNotTouchTheDestination)
{
    gbuffer_T dst;
    dst.init(2, 1);
    EXPECT_EQ(load(pcxFile(5, 8, 1, 65535, 65535, 0, {1, 2, 3}, true), &dst), PCX_ERR_READ);
    EXPECT_EQ(dst.width, 2);
    EXPECT_NE(dst.pixels, nullptr);
}

TEST(Pcx, TruncatedAfterTheHeaderKeepsTheNewSize)
{
    gbuffer_T dst;
    // 1000 bytes of literal data cannot make 40 x 40 pixels: detected while decoding.
    std::vector<uint8_t> data(1000, 3);
    EXPECT_EQ(load(pcxFile(5, 8, 3, 40, 40, 40, data, false), &dst), PCX_ERR_READ);
    EXPECT_EQ(dst.width, 40);
    EXPECT_EQ(dst.height, 40);
}

TEST(Pcx, MissingFileAndNullDestination)
{
    gbuffer_T dst;
    EXPECT_EQ(gpl_loadPcx("/nonexistent/varnek/none.pcx", &dst), PCX_ERR_OPEN);
    EXPECT_EQ(load(pcxFile(5, 8, 1, 1, 1, 1, {5}, true), nullptr), PCX_ERR_BUFFER);
}

TEST(PcxRle, CountsBytesOfTheLastRunBeyondTheBuffer)
{
    const uint8_t src[] = {0xC5, 0x09, 0x01};
    uint8_t dst[3] = {0, 0, 0};
    size_t pos = 0;
    EXPECT_EQ(pcx_rleDecode(src, sizeof src, &pos, dst, 2), 5);
    EXPECT_EQ(pos, 2u);
    EXPECT_EQ(dst[1], 9);
    EXPECT_EQ(dst[2], 0);
    pos = 2;
    EXPECT_EQ(pcx_rleDecode(src, sizeof src, &pos, dst, 2), -1);
    EXPECT_EQ(pcx_rleMaxOutput(5), 127u);
}

// The trace tells when the last run of a 24-bit picture went past its
// planes, and says nothing of the kind when the runs fit.
TEST(Pcx, OvershootingRunIsTraced)
{
    struct traceCase_T {
        std::vector<uint8_t> data;
        bool overshoot;
    };
    const traceCase_T cases[] = {
        {{0xC8, 0x11}, true},          // 8 bytes for the 2 x 1 x 3 = 6 of the planes
        {{0xC6, 0x11}, false},
    };
    for (const traceCase_T& c : cases) {
        std::string tracePath = testTmp_writeText("pcx_trace.txt", "");
        gpl_traceSet(0, tracePath.c_str());
        gbuffer_T dst;
        EXPECT_EQ(load(pcxFile(5, 8, 3, 2, 1, 2, c.data, false), &dst), PCX_OK);
        gpl_traceSet(0, nullptr);
        std::vector<uint8_t> bytes = testTmp_readFile(tracePath);
        std::string trace(bytes.begin(), bytes.end());
        EXPECT_EQ(trace.find("************ size was = 6\n") != std::string::npos, c.overshoot) << trace;
        EXPECT_EQ(trace.find("j = 8\n") != std::string::npos, c.overshoot) << trace;
        EXPECT_NE(trace.find("Gonna deallocate the decomp buffer..."), std::string::npos) << trace;
        EXPECT_EQ(dst.pixels[1], 0x111111u);
    }
}
