// The whole fly-through on the headless display with the generated data:
// title picture, 333 frames, Space, a stop, and a run without its files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "effects/flythrough/flythrough.h"
#include "engine/console.h"
#include "engine/engine.h"
#include "platform/backend_headless.h"
#include "platform/keyboard.h"
#include "platform/keyboard_device.h"
#include "platform/messages.h"
#include "render/r3d_hw.h"
#include "render/r3d_render.h"
#include "render/r3d_scene.h"
#include "tests/headless_display.h"
#include "tests/test_tmp.h"

namespace {

std::vector<std::string> logLines;
std::vector<uint64_t> frameSums;
uint32_t spaceAtFrame, stopAtFrame;

uint32_t statistics, stopAtStatistics;   // post a stop at this many statistics lines

void onLog(const char* line)
{
    logLines.push_back(line);
    if (std::string(line).rfind("Triangles Drawn: ", 0) == 0 && ++statistics == stopAtStatistics)
        pf_postThreadMessage(DEMO_MSG_STOP);
}

void onFrame(uint32_t, const uint16_t* pixels, int pitch, int)
{
    uint64_t sum = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            sum += pixels[y * pitch + x];
    frameSums.push_back(sum);
    if (frameSums.size() == spaceAtFrame)
        kbdev_key(0x39, 1);
    if (frameSums.size() == stopAtFrame)
        pf_postThreadMessage(DEMO_MSG_STOP);
}

class Flythrough : public testing::Test {
protected:
    void SetUp() override
    {
        oldDir = std::filesystem::current_path();
        std::filesystem::current_path(VARNEK_DATA_DIR);
        effectTest_openDisplay(onFrame);
        kbdev_reset();
        kb_init();
        con_init();
        con_setEcho(onLog);
        logLines.clear();
        frameSums.clear();
        spaceAtFrame = stopAtFrame = statistics = stopAtStatistics = 0;
        consoleOn = 0;
    }
    void TearDown() override
    {
        kbdev_key(0x39, 0);
        use3dfx = 0;
        con_setEcho(nullptr);
        effectTest_closeDisplay();
        std::filesystem::current_path(oldDir);
    }
    // The data target is built with the tests: a missing terrain is a fault of
    // the generator, not a reason to pass without flying.
    static testing::AssertionResult terrainBuilt()
    {
        if (std::filesystem::exists("PLAYApr.MAC"))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "no PLAYApr.MAC in " << VARNEK_DATA_DIR
                                           << ": build the data target first";
    }
    int count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& l : logLines)
            n += l.rfind(prefix, 0) == 0;
        return n;
    }
    std::filesystem::path oldDir;
};

}  // namespace

TEST_F(Flythrough, TitleThenThe333FramesOfThePath)
{
    ASSERT_TRUE(terrainBuilt());
    uint64_t clockBefore = pf_headlessClock();
    EXPECT_EQ(flythroughPart(0), 0);
    // The title blit, then one picture per frame of the path.
    ASSERT_EQ(frameSums.size(), 334u);
    EXPECT_GT(frameSums[0], 0u);
    EXPECT_GE(pf_headlessClock() - clockBefore, 3500u * 60u);
    EXPECT_EQ(count("Triangles Drawn: "), 333);
    EXPECT_EQ(count("Render de Frame : "), 333);   // the report comes first each frame
    EXPECT_GT(flyT, 1.0f);
    EXPECT_LT(flyT, 1.003f);
    EXPECT_EQ(demoRunning, 1);

    // The start-up lines, in order, after the octree's log.
    std::vector<std::string> tail;
    for (size_t i = 0; i < logLines.size(); i++)
        if (logLines[i] == "PVCamera initiated...")
            tail.assign(logLines.begin() + i, logLines.begin() + std::min(logLines.size(), i + 5));
    const std::vector<std::string> expected = {"PVCamera initiated...", "Leida malla 3d...",
                                               "Vertices: " + std::to_string(flyScene->vertexCount),
                                               "Triangulos: " + std::to_string(flyScene->triangleCount),
                                               "Creadas normales de caras..."};
    EXPECT_EQ(tail, expected);
    EXPECT_GT(flyScene->triangleCount, 1000);

    // Frames show terrain: far from black; the last one near the last point.
    for (size_t f = 1; f < frameSums.size(); f += 50)
        EXPECT_GT(frameSums[f], 320u * 240u * 1000u) << f;
    EXPECT_LT(flyCamera.position.distance(vec4_T(643, 659, 176, 1)), 60.0f);
}

TEST_F(Flythrough, SpaceEndsTheFlightAfterTheCurrentFrame)
{
    ASSERT_TRUE(terrainBuilt());
    spaceAtFrame = 21;   // the title and 20 frames shown: Space is down from then on
    flythroughPart(0);
    EXPECT_EQ(demoRunning, 0);
    EXPECT_EQ(frameSums.size(), 22u);
}

TEST_F(Flythrough, StopMessageEndsTheFlightAtTheNextPoll)
{
    ASSERT_TRUE(terrainBuilt());
    stopAtFrame = 11;
    flythroughPart(0);
    EXPECT_EQ(frameSums.size(), 11u);
    EXPECT_EQ(count("Triangles Drawn: "), 10);
}

TEST_F(Flythrough, AcceleratorModeFliesOnPastTheEndOfThePath)
{
    ASSERT_TRUE(terrainBuilt());
    use3dfx = 1;
    r3d_hwInit();
    r3d_buildGreyRamp(32);
    stopAtStatistics = 400;
    flythroughPart(0);
    EXPECT_EQ(count("Triangles Drawn: "), 400);
    EXPECT_NEAR(flyT, 400 * 0.0005f, 0.001f);
    use3dfx = 0;
    r3d_loadTextures();   // back to the display's format for the tests after
}

TEST_F(Flythrough, WithoutItsFilesItPausesAndEndsWithALogLine)
{
    std::filesystem::current_path(testTmp_folder("r3d_nodata"));
    uint64_t clockBefore = pf_headlessClock();
    EXPECT_EQ(flythroughPart(0), 0);
    // The title's pause, then nothing to fly over: no frame at all.
    EXPECT_GE(pf_headlessClock() - clockBefore, 3500u * 60u);
    EXPECT_LT(pf_headlessClock() - clockBefore, 3600u * 60u);
    EXPECT_EQ(frameSums.size(), 0u);
    EXPECT_EQ(flyScene, nullptr);
    EXPECT_EQ(count("No se pudo cargar la malla PLAYApr.MAC"), 1);
    EXPECT_EQ(count("Leida malla 3d..."), 0);
    EXPECT_EQ(count("Triangles Drawn: "), 0);
}
