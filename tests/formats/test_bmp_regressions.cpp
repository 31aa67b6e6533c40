// BMP files found by fuzzing the reader (fuzz/formats/fuzz_bmp.cpp), kept as the
// bytes that broke it.
#include <gtest/gtest.h>

#include <vector>

#include "formats/bmp.h"
#include "tests/test_tmp.h"

// Width 0 and height 0x6F000005: rows of no bytes cost nothing to "read",
// so the reader went through 1.8 billion of them.
TEST(BmpRegressions, ZeroWidthWithRowsIsRefusedAtOnce)
{
    const std::vector<uint8_t> bytes = {
        0x42, 0x4d, 0x36, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x6f, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x13, 0x0b, 0x00, 0x00, 0x13, 0x0b, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    };
    EXPECT_EQ(loadBmp24(testTmp_writeForTest(bytes, ".bmp").c_str()), nullptr);

    // A picture of no size at all still loads, as an empty image.
    std::vector<uint8_t> empty = bytes;
    empty[22] = empty[25] = 0;
    image24_T* image = loadBmp24(testTmp_writeForTest(empty, ".bmp").c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 0u);
    EXPECT_EQ(image->height, 0u);
    freeImage24(image);
}
