#pragma once
// Runs the sand effect in a scratch folder of its own files: the working
// directory is switched there, so the effect's relative names find them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "effects/sand/sand_effect.h"
#include "engine/engine.h"
#include "formats/pcx_writer.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/files.h"
#include "platform/main_thread.h"
#include "platform/messages.h"

// Frames the headless display put up, as 565 words.
inline std::vector<std::vector<uint16_t>>& sandTest_frames()
{
    static std::vector<std::vector<uint16_t>> frames;
    return frames;
}

inline void sandTest_onFrame(uint32_t, const uint16_t* pixels, int pitch, int)
{
    std::vector<uint16_t> frame((size_t)SAND_W * SAND_H);
    for (int y = 0; y < SAND_H; y++)
        for (int x = 0; x < SAND_W; x++)
            frame[(size_t)y * SAND_W + x] = pixels[(size_t)y * pitch + x];
    sandTest_frames().push_back(frame);
}

class SandTest : public ::testing::Test {
protected:
    std::string oldDir;
    std::unique_ptr<sandEffect_T> effect;

    void SetUp() override
    {
        pf_headlessReset();
        pf_setBackend(pf_headlessBackend());
        pf_mainThreadInit();
        pf_queueOpen();
        pf_headlessSetFrameHook(sandTest_onFrame);
        sandTest_frames().clear();
        demoRunning = 1;
        use3dfx = 0;
        dd_create();
        dd_setMode(1);
        char cwd[4096];
        oldDir = getcwd(cwd, sizeof cwd) ? cwd : ".";
        char pattern[] = "/tmp/varnek_sand_XXXXXX";
        const char* dir = mkdtemp(pattern);
        ASSERT_NE(dir, nullptr);
        ASSERT_EQ(chdir(dir), 0);
        ASSERT_EQ(system("mkdir -p arenadat"), 0);
        // Palette entry i: red i, green 255 - i, blue i.
        writePicture("arenadat\\paleta.pcx", 16, 16, [](int x, int y) { return (uint8_t)(y * 16 + x); });
        sandDone = 0;
    }

    void TearDown() override
    {
        effect.reset();
        dd_close();
        pf_queueClose();
        sandTest_frames().clear();
        if (chdir(oldDir.c_str()) != 0)
            ADD_FAILURE() << "cannot go back to " << oldDir;
    }

    static void writeBytes(const char* name, const std::vector<uint8_t>& bytes)
    {
        FILE* f = pf_fopen(name, "wb");
        ASSERT_NE(f, nullptr) << name;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    template <typename F>
    static void writePicture(const char* name, int w, int h, F index)
    {
        uint8_t palette[768];
        for (int i = 0; i < 256; i++) {
            palette[i * 3] = (uint8_t)i;
            palette[i * 3 + 1] = (uint8_t)(255 - i);
            palette[i * 3 + 2] = (uint8_t)i;
        }
        std::vector<uint8_t> indices((size_t)w * h);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                indices[(size_t)y * w + x] = index(x, y);
        writeBytes(name, pcx_encode8(indices.data(), w, h, palette));
    }

    // A 320 x 240 height map of one value everywhere.
    static void writeFlatMap(const char* name, uint8_t value)
    {
        writePicture(name, SAND_W, SAND_H, [value](int, int) { return value; });
    }

    static void writeScript(const char* text)
    {
        std::string s(text);
        writeBytes("arenadat\\arena.scr", std::vector<uint8_t>(s.begin(), s.end()));
    }

    // The effect with its script opened, as sand_run starts it.
    void start()
    {
        effect.reset(new sandEffect_T());
        effect->openScript();
    }

    // A 565 colour of the test palette.
    static uint16_t colour565(int i)
    {
        return (uint16_t)(((i >> 3) << 11) | (((255 - i) >> 2) << 5) | (i >> 3));
    }
};
