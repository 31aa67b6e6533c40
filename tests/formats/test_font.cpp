#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/font.h"
#include "formats/font_writer.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "tests/screen_scratch.h"

namespace {

const char twenty[] = "ABCDEFGHIJKLMNOPQRST";

// Every pixel of sheet cell k (reading order, 8 x 6 cells) holds 0x100000 + k + 1.
uint32_t cellColour(int k)
{
    return 0x100000u + (uint32_t)k + 1;
}

void writeSheet(screenScratch_T& dir, const char* name, int width, int rows)
{
    const int cellW = 8, cellH = 6;
    std::vector<uint32_t> px((size_t)width * rows * cellH);
    for (int y = 0; y < rows * cellH; y++)
        for (int x = 0; x < width; x++)
            px[(size_t)y * width + x] = cellColour((y / cellH) * (width / cellW) + x / cellW);
    dir.writePcx(name, px, width, rows * cellH);
}

void writeFont(screenScratch_T& dir, int space, int dumpID, const char* order, int matrixW, int matrixH)
{
    gfontDescription_T d = {"sheet.pcx", space, dumpID, order, matrixH, matrixW};
    dir.write("font.jdt", gfont_writeDescription(d, "test font"));
}

// A font of 8 x 6 cells holding the twenty letters, on a sheet of 64 pixels
// by sheetRows cell rows, loaded in a scratch folder.
class FontFile : public ::testing::Test {
protected:
    void load(int space, int dumpID, int sheetRows = 3)
    {
        writeSheet(dir, "sheet.pcx", 64, sheetRows);
        writeFont(dir, space, dumpID, twenty, 8, 6);
        font.init("font.jdt");
    }
    screenScratch_T dir;
    gfont_T font;
};

}  // namespace

TEST(FontLayout, CellsFollowTheOrderRowByRow)
{
    gfontCell_T cells[256];
    gfont_layoutCells(cells, 64, 8, 6, twenty);
    for (int i = 0; i < 20; i++) {
        const gfontCell_T& c = cells[(unsigned char)twenty[i]];
        EXPECT_EQ(c.x, (i % 8) * 8) << twenty[i];
        EXPECT_EQ(c.y, (i / 8) * 6) << twenty[i];
        EXPECT_EQ(c.width, 8);
    }
    EXPECT_EQ(cells[(unsigned char)'H'].y, 0);
    EXPECT_EQ(cells[(unsigned char)'I'].y, 6);
    EXPECT_EQ(cells[(unsigned char)'Q'].y, 12);
    // Not in the order: the sheet's first cell, full width.
    EXPECT_EQ(cells[(unsigned char)'z'].x, 0);
    EXPECT_EQ(cells[(unsigned char)'z'].y, 0);
    EXPECT_EQ(cells[(unsigned char)'z'].width, 8);
}

TEST(FontLayout, RepeatedAndHighCharacters)
{
    gfontCell_T cells[256];
    const char order[] = {'A', 'B', 'A', (char)0xE9, (char)0x80, 0};
    gfont_layoutCells(cells, 32, 8, 6, order);
    EXPECT_EQ(cells[(unsigned char)'A'].x, 16);   // the last position wins
    EXPECT_EQ(cells[0xE9].x, 24);
    EXPECT_EQ(cells[0x80].y, 6);
    EXPECT_EQ(cells[0x80].x, 0);
}

TEST_F(FontFile, LoadsAndDrawsWithAdvance)
{
    load(2, GPL_COPY);
    ASSERT_EQ(font.errorFlags, 0u);
    EXPECT_EQ(font.initialized, 1u);
    EXPECT_EQ(font.space, 2);
    EXPECT_EQ(font.dumpID, GPL_COPY);
    EXPECT_EQ(font.glyphs[(unsigned char)'Q'].y, 12);

    gbuffer_T dst;
    dst.init(64, 16);
    EXPECT_EQ(font.drawText(10, 3, GPL_CLIP_DEST, &dst, "IT"), 30);
    EXPECT_EQ(dst.pixels[3 * 64 + 10], cellColour(8));     // 'I' opens row 1
    EXPECT_EQ(dst.pixels[8 * 64 + 17], cellColour(8));
    EXPECT_EQ(dst.pixels[3 * 64 + 18], 0u);                 // the 2-pixel space
    EXPECT_EQ(dst.pixels[3 * 64 + 20], cellColour(19));     // 'T', last of twenty
    EXPECT_EQ(font.drawText(5, 0, GPL_CLIP_DEST, &dst, ""), 5);
}

TEST_F(FontFile, UnknownCharacterDrawsTheFirstCell)
{
    load(1, GPL_KEYED);
    ASSERT_EQ(font.errorFlags, 0u);
    gbuffer_T dst;
    dst.init(32, 8);
    EXPECT_EQ(font.drawText(0, 0, GPL_CLIP_DEST, &dst, "#"), 9);
    EXPECT_EQ(dst.pixels[0], cellColour(0));
}

TEST_F(FontFile, BlendingModesMixWithWhatIsDrawn)
{
    load(0, GPL_ADD);
    ASSERT_EQ(font.errorFlags, 0u);
    gbuffer_T dst;
    dst.init(16, 8);
    dst.fill(0, 0, 0x20);
    font.drawText(0, 0, GPL_CLIP_DEST, &dst, "B");
    EXPECT_EQ(dst.pixels[0], cellColour(1) + 0x20);
}

TEST_F(FontFile, ClipRectangleLimitsRows)
{
    load(0, GPL_COPY);
    gbuffer_T dst;
    dst.init(16, 16);
    gpl_setClip(0, 16, 4, 12);
    font.drawText(0, 2, GPL_CLIP_RECT, &dst, "A");
    EXPECT_EQ(dst.pixels[3 * 16], 0u);
    EXPECT_EQ(dst.pixels[4 * 16], cellColour(0));
    EXPECT_EQ(dst.pixels[7 * 16], cellColour(0));
}

TEST_F(FontFile, CellsBelowTheSheetAreNeverRead)
{
    // The sheet has room for 8 cells only.
    load(0, GPL_COPY, 1);
    ASSERT_EQ(font.errorFlags, 0u);
    gbuffer_T dst;
    dst.init(32, 8);
    EXPECT_EQ(font.drawText(0, 0, GPL_CLIP_DEST, &dst, "AT"), 16);
    EXPECT_EQ(dst.pixels[0], cellColour(0));
    EXPECT_EQ(dst.pixels[8], 0u);
}

struct failCase_T {
    const char* what;
    bool sheet;
    int sheetVersion;       // 5 is good
    const char* description; // null: no description file
    uint32_t expectedBit;
};

TEST(Font, FailuresSetBitsAndDrawNothing)
{
    const char good[] = "fontPic = \"sheet.pcx\"\r\nfontOrder = \"AB\"\r\nfontMatrixHeight = 6\r\nfontMatrixWidth = 8\r\n";
    const failCase_T cases[] = {
        {"no description", true, 5, nullptr, GFONT_ERR_FILE},
        {"no sheet", false, 5, good, GFONT_ERR_SHEET_OPEN},
        {"sheet not version 5", true, 4, good, GFONT_ERR_SHEET_FORMAT},
        {"no fontPic", true, 5, "fontOrder = \"AB\"\r\nfontMatrixHeight = 6\r\nfontMatrixWidth = 8\r\n",
         GFONT_ERR_LAYOUT},
        {"cell width 0", true, 5, "fontPic = \"sheet.pcx\"\r\nfontMatrixHeight = 6\r\nfontMatrixWidth = 0\r\n",
         GFONT_ERR_LAYOUT},
        {"cell wider than the sheet", true, 5,
         "fontPic = \"sheet.pcx\"\r\nfontMatrixHeight = 6\r\nfontMatrixWidth = 65\r\n", GFONT_ERR_LAYOUT},
        {"cell taller than the sheet", true, 5,
         "fontPic = \"sheet.pcx\"\r\nfontMatrixHeight = 7\r\nfontMatrixWidth = 8\r\n", GFONT_ERR_LAYOUT},
    };
    for (const failCase_T& c : cases) {
        screenScratch_T dir;
        if (c.sheet) {
            writeSheet(dir, "sheet.pcx", 64, 1);
            if (c.sheetVersion != 5) {
                std::vector<uint8_t> bytes = {10, (uint8_t)c.sheetVersion};
                bytes.resize(200, 0);
                dir.write("sheet.pcx", bytes);
            }
        }
        if (c.description)
            dir.write("font.jdt", std::string(c.description));
        gfont_T font;
        font.init("font.jdt");
        EXPECT_EQ(font.errorFlags, c.expectedBit) << c.what;
        EXPECT_EQ(font.initialized, 0u) << c.what;
        gbuffer_T dst;
        dst.init(32, 8);
        EXPECT_EQ(font.drawText(4, 0, GPL_CLIP_DEST, &dst, "AB"), 4) << c.what;
        EXPECT_EQ(screenTest_brightness(dst), 0u) << c.what;
    }
}

TEST_F(FontFile, ReloadAndReleaseAreSafe)
{
    load(0, GPL_COPY);
    font.init("font.jdt");
    EXPECT_EQ(font.initialized, 1u);
    font.release();
    font.release();
    EXPECT_EQ(font.picture, nullptr);
    EXPECT_EQ(font.glyphs, nullptr);
}
