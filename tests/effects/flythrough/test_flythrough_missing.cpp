// The fly-through without its terrain file: the title and its pause, one log
// line naming the file, and no flight. (Without any file at all: the
// renderer's fly-through tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "effects/flythrough/flythrough.h"
#include "formats/bmp_writer.h"
#include "platform/log.h"
#include "tests/headless_display.h"
#include "tests/test_tmp.h"

namespace {

int presented;
void onFrame(uint32_t, const uint16_t*, int, int) { presented++; }
std::vector<std::string> logLines;
void onLog(const char* line) { logLines.push_back(line); }

constexpr uint64_t TICKS_PER_MS = 60;   // the virtual clock counts 1/60000 s

// Runs the effect in a folder that holds its title picture and nothing
// else; the virtual time it took, in clock ticks.
uint64_t flyWithoutTerrain()
{
    const std::filesystem::path oldDir = std::filesystem::current_path();
    const std::filesystem::path dir = testTmp_folder("fly_title_only");
    std::filesystem::create_directories(dir / "pantallazos");
    std::vector<uint8_t> bgr(320 * 240 * 4, 0x80);
    image24_T title{24, 320, 240, bgr.data()};
    EXPECT_EQ(bmp_save24((dir / "pantallazos" / "bicho.bmp").c_str(), &title), 0);
    std::filesystem::current_path(dir);
    effectTest_openDisplay(onFrame);
    con_init();
    con_setEcho(onLog);
    presented = 0;
    logLines.clear();
    const uint64_t start = pf_headlessClock();
    EXPECT_EQ(flythroughPart(0), 0);
    const uint64_t elapsed = pf_headlessClock() - start;
    con_setEcho(nullptr);
    effectTest_closeDisplay();
    std::filesystem::current_path(oldDir);
    return elapsed;
}

bool logged(const std::string& line)
{
    for (const std::string& l : logLines)
        if (l == line)
            return true;
    return false;
}

TEST(FlythroughMissing, NoTerrainEndsAfterTheTitleWithALogLine)
{
    const uint64_t elapsed = flyWithoutTerrain();
    EXPECT_EQ(flyScene, nullptr);
    EXPECT_EQ(presented, 1);   // the title, and no frame of the flight
    EXPECT_TRUE(logged("No se pudo cargar la malla PLAYApr.MAC"));
    EXPECT_FALSE(logged("Leida malla 3d..."));
    // The 3.5 s pause, and not the 333 frames of a flight.
    EXPECT_GE(elapsed, 3500 * TICKS_PER_MS);
    EXPECT_LT(elapsed, 3600 * TICKS_PER_MS);
}

}  // namespace
