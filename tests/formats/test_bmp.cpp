#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/bmp.h"
#include "formats/bmp_writer.h"
#include "tests/test_tmp.h"

namespace {

// A 3 x 2 picture whose six pixels are (b, g, r) = (i, 10 + i, 20 + i).
image24_T* makeSmallImage(std::vector<uint8_t>& storage)
{
    static image24_T image;
    storage.resize(3 * 2 * 3);
    for (int i = 0; i < 6; i++) {
        storage[i * 3 + 0] = (uint8_t)i;
        storage[i * 3 + 1] = (uint8_t)(10 + i);
        storage[i * 3 + 2] = (uint8_t)(20 + i);
    }
    image = image24_T{24, 3, 2, storage.data()};
    return &image;
}

TEST(Bmp, ThreeByTwoRowsArePaddedToTwelveBytesBottomUp)
{
    std::vector<uint8_t> storage;
    std::vector<uint8_t> file = bmp_encode24(makeSmallImage(storage));
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[2] | (file[3] << 8), (int)file.size());
    EXPECT_EQ(file[14 + 14], 24);
    // File row 0 is the bottom image row (pixels 3, 4, 5); 3 zero bytes pad it.
    EXPECT_EQ(file[54], 3);
    EXPECT_EQ(file[54 + 8], 25);
    EXPECT_EQ(file[54 + 9], 0);
    EXPECT_EQ(file[54 + 11], 0);
    EXPECT_EQ(file[66], 0);
    EXPECT_EQ(file[66 + 8], 22);
}

TEST(Bmp, ReaderDropsThePaddingAndTurnsTheRowsOver)
{
    std::vector<uint8_t> storage;
    std::vector<uint8_t> file = bmp_encode24(makeSmallImage(storage));
    // Garbage in the padding must not reach the picture.
    file[54 + 9] = file[54 + 10] = file[54 + 11] = 0xEE;
    std::string path = testTmp_writeFile("pad.bmp", file);
    image24_T* image = loadBmp24(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->bitsPerPixel, 24);
    EXPECT_EQ(image->width, 3u);
    EXPECT_EQ(image->height, 2u);
    EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 18), storage);
    freeImage24(image);
    std::remove(path.c_str());
}

TEST(Bmp, WriterAndReaderRoundTripOddWidths)
{
    for (uint32_t width : {1u, 2u, 4u, 5u, 64u}) {
        std::vector<uint8_t> pixels(width * 3 * 3);
        for (size_t i = 0; i < pixels.size(); i++)
            pixels[i] = (uint8_t)(i * 37 + width);
        image24_T source{24, width, 3, pixels.data()};
        std::string path = testTmp_path("round.bmp");
        ASSERT_EQ(bmp_save24(path.c_str(), &source), 0);
        image24_T* back = loadBmp24(path.c_str());
        ASSERT_NE(back, nullptr) << width;
        EXPECT_EQ(back->width, width);
        EXPECT_EQ(std::vector<uint8_t>(back->pixels, back->pixels + pixels.size()), pixels) << width;
        freeImage24(back);
        std::remove(path.c_str());
    }
}

TEST(Bmp, RejectsWhatIsNotAnUncompressed24BitFile)
{
    std::vector<uint8_t> storage;
    const std::vector<uint8_t> good = bmp_encode24(makeSmallImage(storage));
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
        size_t truncateTo;
    };
    const Case cases[] = {
        {"8-bit", 14 + 14, 8, 0},
        {"32-bit", 14 + 14, 32, 0},
        {"not BM", 0, 'X', 0},
        {"negative height", 14 + 11, 0xFF, 0},
        {"height larger than the file", 14 + 9, 0x10, 0},
        {"width larger than the file", 14 + 7, 0x7F, 0},
        {"truncated in the last row", 0, 'B', good.size() - 1},
        {"truncated header", 0, 'B', 30},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        bytes[c.offset] = c.value;
        if (c.truncateTo)
            bytes.resize(c.truncateTo);
        std::string path = testTmp_writeFile("bad.bmp", bytes);
        EXPECT_EQ(loadBmp24(path.c_str()), nullptr) << c.what;
        std::remove(path.c_str());
    }
    EXPECT_EQ(loadBmp24("no such file.bmp"), nullptr);
    freeImage24(nullptr);
}

TEST(Bmp, ZeroHeightGivesAnImageWithoutRows)
{
    image24_T empty{24, 4, 0, nullptr};
    std::string path = testTmp_path("empty.bmp");
    ASSERT_EQ(bmp_save24(path.c_str(), &empty), 0);
    image24_T* image = loadBmp24(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 4u);
    EXPECT_EQ(image->height, 0u);
    freeImage24(image);
    std::remove(path.c_str());
}

}
