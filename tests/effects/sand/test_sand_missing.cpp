// Files of the sand effect missing or cut short: each is named once in the
// log, and the effect goes on (or, without script or palette, ends) as
// before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/sand/sand.h"
#include "platform/log.h"
#include "tests/effects/sand/sand_fixture.h"

namespace {

std::vector<std::string> logLines;
void onLog(const char* line) { logLines.push_back(line); }

class SandMissing : public SandTest {
protected:
    void SetUp() override
    {
        SandTest::SetUp();
        con_init();
        con_setEcho(onLog);
        logLines.clear();
    }
    void TearDown() override
    {
        con_setEcho(nullptr);
        SandTest::TearDown();
    }
    static int logged(const std::string& line)
    {
        int n = 0;
        for (const std::string& l : logLines)
            n += l == line;
        return n;
    }
    // A whole 320 x 240 map cut to `keep` bytes.
    static void writeCutMap(const char* name, size_t keep)
    {
        std::vector<uint8_t> indices((size_t)SAND_W * SAND_H);
        for (size_t i = 0; i < indices.size(); i++)
            indices[i] = (uint8_t)(i * 7);   // no runs: one byte per height
        uint8_t palette[768] = {};
        std::vector<uint8_t> bytes = pcx_encode8(indices.data(), SAND_W, SAND_H, palette);
        bytes.resize(keep);
        writeBytes(name, bytes);
    }
};

TEST_F(SandMissing, PicturesThatCannotBeReadAreNamedAndSkipped)
{
    writeFlatMap("hm.pcx", 100);
    writeCutMap("half.pcx", SAND_W * SAND_H / 2);
    writeCutMap("head.pcx", 64);
    writeScript("# STARTUP nothere.pcx hm.pcx "
                "# LOAD hm.pcx half.pcx "
                "# LOAD head.pcx hm.pcx "
                "# FADEIN half.pcx - 50 "
                "# ESPERA 1");
    start();
    effect->step();
    EXPECT_EQ(logged("No se pudo cargar nothere.pcx"), 1);
    EXPECT_EQ(logged("No se pudo cargar half.pcx"), 2);   // as a background, then as a fade target
    EXPECT_EQ(logged("No se pudo cargar head.pcx"), 1);
    EXPECT_EQ(logged("No se pudo cargar hm.pcx"), 0);
    // Nothing changed the ground, and the wait after them was reached.
    EXPECT_EQ(effect->cells[100].terrain, 0);
    EXPECT_EQ(effect->heightMap, nullptr);
    EXPECT_EQ(effect->sandState, SAND_WAITING);
}

TEST_F(SandMissing, WithoutItsScriptTheEffectSaysSoAndEnds)
{
    EXPECT_EQ(sand_run(), 0);
    EXPECT_EQ(logged("No se pudo abrir arenadat\\arena.scr"), 1);
    EXPECT_LE(sandTest_frames().size(), 2u);   // the set-up's two frames, no sand
}

TEST_F(SandMissing, WithoutItsPaletteTheEffectSaysSoOnceAndEnds)
{
    writeScript("# ESPERA 5 # END");
    // Only a header is left of the palette file.
    std::vector<uint8_t> head(64, 0);
    head[0] = 10;
    writeBytes("arenadat\\paleta.pcx", head);
    EXPECT_EQ(sand_run(), 0);   // two set-ups, one line
    EXPECT_EQ(logged("No se pudo cargar arenadat\\paleta.pcx"), 1);
    EXPECT_LE(sandTest_frames().size(), 2u);
}

}  // namespace
