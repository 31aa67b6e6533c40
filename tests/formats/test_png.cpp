// PNG through libpng: what is written reads back the same, compressed, and a
// damaged file is refused with a reason instead of being half read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/png_read.h"
#include "formats/png_write.h"
#include "tests/test_tmp.h"

namespace {
// A 320 x 240 565 picture like a frame: gradients, a flat band, noise-free.
std::vector<uint16_t> testFrame(int pitch)
{
    std::vector<uint16_t> p((size_t)pitch * 240, 0xFFFF);   // padding past 320 must not show
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            p[(size_t)y * pitch + x] = y < 100 ? (uint16_t)(((x / 10) << 11) | ((y / 4) << 5) | (x % 32)) : 0x0410;
    return p;
}
}

TEST(Png, FrameRoundTripsThroughTheLibrary)
{
    const int pitch = 336;
    std::vector<uint16_t> frame = testFrame(pitch);
    std::string path = testTmp_dir() + "/frame.png";
    ASSERT_EQ(png_write16(path.c_str(), frame.data(), pitch, 320, 240, 0), 0);
    std::vector<uint8_t> rgb, expected(320 * 240 * 3);
    png_widen16(frame.data(), pitch, 320, 240, 0, expected.data());
    int w = 0, h = 0;
    std::string error;
    ASSERT_EQ(png_readRgb(path.c_str(), &rgb, &w, &h, &error), 0) << error;
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_EQ(rgb, expected);
    EXPECT_EQ(rgb[0], 0);                            // 565 black widens to 0 ...
    EXPECT_EQ(rgb[(100 * 320) * 3 + 1], 0x82);       // ... and green 0x20 of 63 to 0x82
    // Compressed for real: stored blocks would take the raw 230 400 bytes.
    EXPECT_LT(std::filesystem::file_size(path), 320u * 240 * 3 / 10);
}

TEST(Png, DamagedFilesAreRefusedWithAReason)
{
    std::vector<uint16_t> frame = testFrame(320);
    std::string good = testTmp_dir() + "/good.png";
    ASSERT_EQ(png_write16(good.c_str(), frame.data(), 320, 320, 240, 1), 0);
    std::vector<uint8_t> bytes(std::filesystem::file_size(good));
    FILE* f = std::fopen(good.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);

    struct damage_T {
        const char* name;
        size_t keep;         // bytes kept from the start
        size_t flip;         // a byte turned over (0: none)
    };
    const damage_T cases[] = {
        {"empty", 0, 0},
        {"signature only", 8, 0},
        {"cut in the header", 20, 0},
        {"cut in the pixels", bytes.size() / 2, 0},
        {"picture data damaged", bytes.size(), bytes.size() / 2},
    };
    for (const damage_T& c : cases) {
        std::vector<uint8_t> damaged(bytes.begin(), bytes.begin() + (long)c.keep);
        if (c.flip)
            damaged[c.flip] ^= 0xFF;
        std::string path = testTmp_writeFile("damaged.png", damaged);
        std::vector<uint8_t> rgb;
        int w = 0, h = 0;
        std::string error;
        EXPECT_EQ(png_readRgb(path.c_str(), &rgb, &w, &h, &error), -1) << c.name;
        EXPECT_NE(error, "") << c.name;
    }
    std::string error;
    std::vector<uint8_t> rgb;
    int w, h;
    EXPECT_EQ(png_readRgb((testTmp_dir() + "/none.png").c_str(), &rgb, &w, &h, &error), -1);
}

TEST(Png, UnwritablePathFailsWithoutAFile)
{
    std::vector<uint16_t> frame = testFrame(320);
    std::string path = testTmp_dir() + "/no/such/folder/f.png";
    EXPECT_EQ(png_write16(path.c_str(), frame.data(), 320, 320, 240, 0), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
}
