// Pre-shaded textures: loading, levels, shades, selection of a slot with no
// picture, the grey ramp and the accelerator's descriptors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "formats/bmp_writer.h"
#include "platform/log.h"
#include "render/r3d_fill.h"
#include "render/r3d_hw.h"
#include "render/r3d_tex.h"
#include "tests/headless_display.h"
#include "tests/render/render_fixture.h"
#include "tests/test_tmp.h"

namespace {

std::vector<std::string> logLines;
void onLog(const char* line) { logLines.push_back(line); }

// A 64 x 64 BMP whose bottom row (the file's first) is `bottom` and the
// rest `rest`, colours as 0xRRGGBB.
std::string writeBmp(const char* name, uint32_t bottom, uint32_t rest)
{
    std::vector<uint8_t> bgr(64 * 64 * 4);
    for (int y = 0; y < 64; y++) {
        uint32_t c = y == 63 ? bottom : rest;
        for (int x = 0; x < 64; x++) {
            uint8_t* p = &bgr[(y * 64 + x) * 3];
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    }
    image24_T image{24, 64, 64, bgr.data()};
    std::string path = testTmp_path(name);
    EXPECT_EQ(bmp_save24(path.c_str(), &image), 0);
    return path;
}

class R3dTextures : public testing::Test {
protected:
    void SetUp() override
    {
        effectTest_openDisplay(nullptr);
        con_init();
        con_setEcho(onLog);
        logLines.clear();
        r3d_loadTextures();   // no data files here: every slot reports its error
    }
    void TearDown() override
    {
        con_setEcho(nullptr);
        effectTest_closeDisplay();
    }
};

}  // namespace

TEST_F(R3dTextures, FormatComesFromTheDisplay)
{
    EXPECT_EQ(texRed.mask, 0xF800u);
    EXPECT_EQ(texRed.shift, 11);
    EXPECT_EQ(texGreen.bits, 6);
    EXPECT_EQ(texBlue.shift, 0);
}

TEST_F(R3dTextures, MissingFilesAreReportedAndLeaveTheSlotsEmpty)
{
    int errors = 0;
    for (const std::string& l : logLines)
        errors += l == "Error al abrir fichero...";
    EXPECT_EQ(errors, 9);
    for (int slot = 0; slot < R3D_TEX_SLOTS; slot++)
        EXPECT_EQ(texSet[slot][0][0], nullptr);
}

TEST_F(R3dTextures, ShadeRuleTable)
{
    struct {
        int channel;   // 0 red (5 bits), 1 green (6 bits)
        uint16_t value;
        int shade;
        uint16_t expected;
    } cases[] = {
        {0, 31, 0, 31}, {0, 31, 1, 30}, {0, 31, 31, 1}, {0, 16, 16, 8}, {0, 0, 31, 0}, {1, 63, 31, 3}, {1, 63, 0, 63},
    };
    for (const auto& c : cases) {
        const r3dChannel_T& ch = c.channel == 0 ? texRed : texGreen;
        uint16_t src = (uint16_t)(c.value << ch.shift), dst = 0xFFFF;
        r3d_shadeTexture(&dst, &src, 1, 1, 1, c.shade);
        EXPECT_EQ((dst & ch.mask) >> ch.shift, c.expected) << c.value << " shade " << c.shade;
        EXPECT_EQ(dst & ~ch.mask, 0);
    }
}

TEST_F(R3dTextures, HalvingTruncatesTheMeanOfEachChannel)
{
    // Red 31, 0, 0, 0 -> 7; green 63, 63, 63, 62 -> 62; blue 1, 1, 1, 0 -> 0.
    uint16_t src[4] = {(uint16_t)(31 << 11 | 63 << 5 | 1), (uint16_t)(63 << 5 | 1), (uint16_t)(63 << 5 | 1),
                       (uint16_t)(62 << 5)};
    uint16_t square[4] = {src[0], src[1], src[2], src[3]};   // rows (0, 1) and (2, 3)
    uint16_t dst = 0;
    r3d_halveTexture(&dst, square, 2, 2, 1, 2);
    EXPECT_EQ(dst, (uint16_t)(7 << 11 | 62 << 5 | 0));
}

TEST_F(R3dTextures, WhitePictureIsWhiteAtEveryLevelAndNearlyBlackAtShade31)
{
    std::string path = writeBmp("r3d_white.bmp", 0xFFFFFF, 0xFFFFFF);
    ASSERT_EQ(r3d_loadBmpTexture(2, path.c_str()), 0);
    for (int level = 0; level < 4; level++) {
        int side = 64 >> level;
        for (int i = 0; i < side * side; i++) {
            ASSERT_EQ(texSet[2][level][0][i], 0xFFFF) << level;
            ASSERT_EQ(texSet[2][level][31][i], (1 << 11 | 3 << 5 | 1)) << level;
        }
    }
}

TEST_F(R3dTextures, FilesFirstStoredRowBecomesTextureRowZero)
{
    std::string path = writeBmp("r3d_rows.bmp", 0xFF0000, 0x0000FF);
    ASSERT_EQ(r3d_loadBmpTexture(0, path.c_str()), 0);
    EXPECT_EQ(texSet[0][0][0][0], 0xF800);
    EXPECT_EQ(texSet[0][0][0][63], 0xF800);
    EXPECT_EQ(texSet[0][0][0][64], 0x001F);
    // Level 1 row 0 mixes texture rows 0 and 1: half red, half blue.
    EXPECT_EQ(texSet[0][1][0][0], (15 << 11) | 15);
}

TEST_F(R3dTextures, ShortFileKeepsItsSlotAllocatedAndReportsTheRead)
{
    std::string path = testTmp_writeFile("r3d_short.bmp", std::vector<uint8_t>(54 + 300, 0xFF));
    logLines.clear();
    EXPECT_EQ(r3d_loadBmpTexture(4, path.c_str()), -1);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "Error al leer fichero...");
    ASSERT_NE(texSet[4][3][31], nullptr);
    EXPECT_EQ(texSet[4][3][31][63], 0);
    // The 100 texels that were read stay in shade 0 of level 0.
    EXPECT_EQ(texSet[4][0][0][0], 0xFFFF);
    EXPECT_EQ(texSet[4][0][0][99], 0xFFFF);
    EXPECT_EQ(texSet[4][0][0][100], 0);
}

TEST_F(R3dTextures, SlotWithoutPictureDrawsFlatGrey)
{
    r3d_selectTexture(5, 0, 0);
    ASSERT_NE(curTexture, nullptr);
    uint16_t grey = curTexture[0];
    EXPECT_NE(grey, 0);
    r3d_selectShadeSet(5, 3);
    ASSERT_NE(curShadeSet, nullptr);
    EXPECT_LT(curShadeSet[31][63], grey);   // darker at shade 31, still defined
    // An out-of-range id is drawn the same way.
    r3d_selectTexture(77, 2, 40);
    ASSERT_NE(curTexture, nullptr);

    testSurface_T s;
    r3d_selectShadeSet(6, 0);
    meshVertex_T a = screenVertex(20, 20, 0, 0, 0), b = screenVertex(200, 30, 10, 0, 62),
                 c = screenVertex(50, 200, 31, 62, 62);
    r3d_triTextureShaded(0, &a, &b, &c);
    EXPECT_GT(s.countNot(0), 10000);
}

TEST_F(R3dTextures, ReloadingReplacesTheSetAndTheSelection)
{
    std::string path = writeBmp("r3d_white2.bmp", 0xFFFFFF, 0xFFFFFF);
    ASSERT_EQ(r3d_loadBmpTexture(1, path.c_str()), 0);
    r3d_selectTexture(1, 0, 0);
    use3dfx = 1;
    r3d_loadTextures();   // the accelerator's 1-5-5-5
    use3dfx = 0;
    EXPECT_EQ(texRed.mask, 0x7C00u);
    EXPECT_EQ(texRed.shift, 10);
    EXPECT_EQ(texGreen.bits, 5);
    // The old selection went with the old set; drawing is still safe.
    testSurface_T s;
    meshVertex_T a = screenVertex(20, 20, 0, 0, 0), b = screenVertex(80, 20, 0, 0, 63),
                 c = screenVertex(20, 80, 0, 63, 0);
    r3d_triTexture(0, &a, &b, &c);
    EXPECT_GT(s.countNot(0), 1000);
}

TEST(R3dGreyRamp, RunsFrom170DownTo6)
{
    r3d_buildGreyRamp(32);
    EXPECT_EQ(greyRamp[0], 0xFFAAAAAAu);
    EXPECT_EQ(greyRamp[1], 0xFFA4A4A4u);   // trunc(170 - 5.28125) = 164
    EXPECT_EQ(greyRamp[31], 0xFF060606u);
    greyRamp[0] = 0x12345678;
    r3d_buildGreyRamp(0);
    EXPECT_EQ(greyRamp[0], 0x12345678u);
    r3d_buildGreyRamp(32);
}

TEST(R3dHw, InitRegistersNineTexturesFromZero)
{
    con_init();
    hwTexCount = 30;
    EXPECT_EQ(r3d_hwInit(), 0);
    EXPECT_EQ(hwTexCount, 9);
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(hwTexDesc[i].smallLod, 5u);
        EXPECT_EQ(hwTexDesc[i].largeLod, 2u);
        EXPECT_EQ(hwTexDesc[i].aspect, 3u);
        EXPECT_EQ(hwTexDesc[i].format, 11u);
        EXPECT_EQ(hwTexDesc[i].data, nullptr);
        EXPECT_EQ(hwTexAddress[i], 0u);
    }
    EXPECT_EQ(r3d_hwCall(), 0);
}
