// The whole ray tracer on the headless display: its frames, log lines, the
// fade-out and the stop request.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "effects/raytracer/ray_scene.h"
#include "effects/raytracer/raytracer.h"
#include "engine/console.h"
#include "tests/headless_display.h"

namespace {

std::vector<std::string> logLines;
std::vector<uint64_t> frameBrightness;   // sum of the 16-bit values of each frame shown
uint32_t stopAfterFrame = 0;             // post a stop once this many frames were shown

void onLog(const char* line) { logLines.push_back(line); }

void onFrame(uint32_t frame, const uint16_t* pixels, int pitch, int) {
    uint64_t sum = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            sum += pixels[y * pitch + x];
    frameBrightness.push_back(sum);
    if (stopAfterFrame != 0 && frameBrightness.size() == stopAfterFrame)
        pf_postThreadMessage(DEMO_MSG_STOP);
}

class RayPart : public testing::Test {
protected:
    void SetUp() override {
        effectTest_openDisplay(onFrame);
        con_init();
        con_setEcho(onLog);
        consoleOn = 0;
        logLines.clear();
        frameBrightness.clear();
        stopAfterFrame = 0;
    }
    void TearDown() override {
        con_setEcho(nullptr);
        effectTest_closeDisplay();
    }
    std::vector<std::string> rayLines() const {
        std::vector<std::string> out;
        for (const std::string& l : logLines)
            if (l.rfind("Rayos: ", 0) == 0)
                out.push_back(l);
        return out;
    }
};

TEST_F(RayPart, ZeroFramesShowOnlyTheBlackFadeOut) {
    const uint64_t clockBefore = pf_headlessClock();
    rayTracerPart(0);
    EXPECT_EQ(frameBrightness, std::vector<uint64_t>(10, 0));
    EXPECT_TRUE(rayLines().empty());
    // Every fade-out frame sleeps 15 ms on top of its refresh.
    EXPECT_GE(pf_headlessClock() - clockBefore, 10u * 15u * 60u);
}

TEST_F(RayPart, EveryFrameLogsItsTestsAndTheFadeOutDarkens) {
    const double clockBefore = rayClock;
    rayTracerPart(5);
    ASSERT_EQ(frameBrightness.size(), 15u);
    const std::vector<std::string> lines = rayLines();
    ASSERT_EQ(lines.size(), 5u);
    for (int n = 1; n <= 5; n++) {
        int count = 0, frame = 0;
        ASSERT_EQ(std::sscanf(lines[n - 1].c_str(), "Rayos: %d Frame %d", &count, &frame), 2) << lines[n - 1];
        EXPECT_EQ(frame, n);
        EXPECT_GT(count, 0);
    }
    EXPECT_EQ(lines.back(), "Rayos: " + std::to_string(rayCount) + " Frame 5");
    // Spheres are on screen, then every fade-out frame is darker than the last.
    EXPECT_GT(frameBrightness[4], 0u);
    for (size_t i = 5; i < frameBrightness.size(); i++)
        EXPECT_LT(frameBrightness[i], frameBrightness[i - 1]) << i;
    // The clock runs on from where it was: 5 steps of 0.2f.
    double expected = clockBefore;
    for (int i = 0; i < 5; i++)
        expected += 0.2f;
    EXPECT_EQ(rayClock, expected);
}

TEST_F(RayPart, StopBeforeTheFirstFrameStillFadesOut) {
    pf_postThreadMessage(DEMO_MSG_STOP);
    rayTracerPart(140);
    EXPECT_EQ(frameBrightness, std::vector<uint64_t>(10, 0));
    EXPECT_TRUE(rayLines().empty());
    EXPECT_EQ(demoRunning, 0);
}

TEST_F(RayPart, StopDuringTheLoopEndsItAfterThatFrame) {
    stopAfterFrame = 3;
    rayTracerPart(140);
    EXPECT_EQ(rayLines().size(), 3u);
    EXPECT_EQ(frameBrightness.size(), 13u);
}

TEST_F(RayPart, WithoutASurfaceNothingIsWritten) {
    // No display: every frame begin fails to lock; the effect still runs its
    // frames and logs, and touches no memory it does not own.
    dd_close();
    rayTracerPart(2);
    EXPECT_EQ(rayLines().size(), 2u);
    EXPECT_TRUE(frameBrightness.empty());
}

}  // namespace
