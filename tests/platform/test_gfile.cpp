#include <gtest/gtest.h>

#include "platform/gfile.h"
#include "tests/test_tmp.h"

TEST(Gfile, MissingFileSetsOpenBit)
{
    gfile_T file;
    file.open((testTmp_writeText("present.bin", "x") + ".missing").c_str(), GFILE_READ);
    EXPECT_EQ(file.errorFlags, (uint32_t)GFILE_ERR_OPEN);
    EXPECT_EQ(file.handle, nullptr);
}

TEST(Gfile, ReadPastTheEndSetsEofAndBitsAccumulate)
{
    std::string path = testTmp_writeText("four.bin", "abcd");
    gfile_T file;
    file.open(path.c_str(), GFILE_READ);
    char bytes[8] = {};
    file.read(bytes, 4);
    EXPECT_EQ(file.errorFlags, 0u);
    EXPECT_EQ(std::string(bytes, 4), "abcd");
    EXPECT_EQ(file.tell(), 4);
    file.read(bytes, 2);
    EXPECT_EQ(file.errorFlags, (uint32_t)GFILE_ERR_EOF);
    file.seek(-100, GFILE_SEEK_SET);
    EXPECT_EQ(file.errorFlags, (uint32_t)(GFILE_ERR_EOF | GFILE_ERR_SEEK));
    file.seek(-1, GFILE_SEEK_END);
    file.read(bytes, 1);
    EXPECT_EQ(bytes[0], 'd');
}

TEST(Gfile, HighestModeBitWins)
{
    std::string path = testTmp_writeText("modes.bin", "old");
    {
        gfile_T file;
        file.open(path.c_str(), GFILE_READ | GFILE_WRITE);   // "wb": truncates
        EXPECT_EQ(file.errorFlags, 0u);
        file.close();
        file.close();
    }
    EXPECT_TRUE(testTmp_readFile(path).empty());
    testTmp_writeText("modes.bin", "12345");
    gfile_T file;
    file.open(path.c_str(), GFILE_READ);
    file.seek(1, GFILE_SEEK_SET);
    file.seek(2, GFILE_SEEK_SET | GFILE_SEEK_CUR);           // from the current position
    EXPECT_EQ(file.tell(), 3);
    file.seek(-1, GFILE_SEEK_SET | GFILE_SEEK_END);          // from the end
    EXPECT_EQ(file.tell(), 4);
    EXPECT_EQ(file.errorFlags, 0u);
}

TEST(Gfile, ReadAllReportsMissingAndReturnsBytes)
{
    std::vector<uint8_t> bytes;
    EXPECT_EQ(gfile_readAll("/nonexistent/varnek/none.bin", &bytes), (uint32_t)GFILE_ERR_OPEN);
    std::string path = testTmp_writeFile("all.bin", {1, 2, 0xFF});
    EXPECT_EQ(gfile_readAll(path.c_str(), &bytes), 0u);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 0xFF}));
}
