// The MOD writer lays out the file the way trackers do; the reader tests
// round-trip through it, this one pins the byte layout itself.
#include <gtest/gtest.h>

#include "music/formats/mod_writer.h"

TEST(ModWriter, HeaderPatternAndSampleLayout)
{
    modSong_T song;
    song.title = "a title longer than twenty";
    song.samples[0].name = "kick";
    song.samples[0].data = {1, -1, 2};   // odd: padded to 2 words
    song.samples[0].finetune = 0x1F;     // only the low nibble is kept
    song.samples[0].volume = 48;
    song.samples[0].loopStart = 0x0102;
    song.samples[0].loopLength = 0x0304;
    song.orders = {0, 1, 0, 2};
    song.restart = 1;
    song.patterns.resize(2);             // pattern 2 is written empty
    song.patterns[1].cells[0][3] = {mod_notePeriod(2, 0), 0x1A, 0xC, 0x40};

    std::vector<uint8_t> f = mod_write(song);
    ASSERT_EQ(f.size(), 1084u + 3 * 1024 + 4);
    EXPECT_EQ(std::string((const char*)f.data(), 20), "a title longer than ");
    EXPECT_EQ(std::string((const char*)&f[20], 4), "kick");
    EXPECT_EQ(f[42], 0); EXPECT_EQ(f[43], 2);            // length in words
    EXPECT_EQ(f[44], 0x0F); EXPECT_EQ(f[45], 48);
    EXPECT_EQ(f[46], 1); EXPECT_EQ(f[47], 2);             // loop start, big-endian
    EXPECT_EQ(f[48], 3); EXPECT_EQ(f[49], 4);
    EXPECT_EQ(f[950], 4); EXPECT_EQ(f[951], 1);
    EXPECT_EQ(f[952], 0); EXPECT_EQ(f[953], 1); EXPECT_EQ(f[955], 2); EXPECT_EQ(f[956], 0);
    EXPECT_EQ(std::string((const char*)&f[1080], 4), "M.K.");
    // Pattern 1, row 0, channel 3: sample high nibble with period high bits, period low, sample low nibble with effect.
    size_t cell = 1084 + 1024 + 3 * 4;
    EXPECT_EQ(f[cell], 0x10 | (428 >> 8));
    EXPECT_EQ(f[cell + 1], 428 & 255);
    EXPECT_EQ(f[cell + 2], 0xAC);
    EXPECT_EQ(f[cell + 3], 0x40);
    EXPECT_EQ((int8_t)f[1084 + 3072], 1);
    EXPECT_EQ((int8_t)f[1084 + 3072 + 1], -1);
    EXPECT_EQ(f[1084 + 3072 + 3], 0);                     // pad byte
}

TEST(ModWriter, NotePeriods)
{
    EXPECT_EQ(mod_notePeriod(0, 0), 1712);
    EXPECT_EQ(mod_notePeriod(1, 0), 856);
    EXPECT_EQ(mod_notePeriod(3, 11), 113);
    EXPECT_EQ(mod_notePeriod(5, 11), 28);
    EXPECT_EQ(mod_notePeriod(6, 0), 0);
    EXPECT_EQ(mod_notePeriod(1, 12), 0);
}
