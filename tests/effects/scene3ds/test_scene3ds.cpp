// The textured 3DS scene on the headless display, from the generated data:
// its phases with the frame counts the virtual clock implies, a stop while
// the title waits, missing files, and the data it reads.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <vector>

#include "effects/scene3ds/scene3ds.h"
#include "effects/scene3ds/scene_tables.h"
#include "engine/engine.h"
#include "formats/bmp.h"
#include "formats/mesh3ds.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/log.h"
#include "platform/messages.h"
#include "render/pixel_tables.h"
#include "tests/headless_display.h"
#include "tests/test_tmp.h"

namespace {

// What each presented frame looked like, in the few places that tell the
// phases apart.
struct frameProbe_T {
    uint16_t inset;      // (315, 200): the title's (123, 88) while the torus turns
    uint16_t corner;     // (300, 230): the title's lower right in phase 1
    int lit;             // sampled pixels that are not black
    int white;           // sampled pixels off the inset with full red (highlights)
};
std::vector<frameProbe_T> frames;

void onFrame(uint32_t, const uint16_t* pixels, int pitch, int)
{
    frameProbe_T f = {pixels[200 * pitch + 315], pixels[230 * pitch + 300], 0, 0};
    // Every other pixel of every other row is enough to tell.
    for (int y = 0; y < 240; y += 2)
        for (int x = 0; x < 320; x += 2) {
            const uint16_t p = pixels[y * pitch + x];
            f.lit += p != 0;
            f.white += (x < 192 || y < 112) && (p >> 11) == 31;
        }
    frames.push_back(f);
}

class Scene3dsPart : public testing::Test {
protected:
    std::filesystem::path oldDir;
    void SetUp() override
    {
        oldDir = std::filesystem::current_path();
        std::filesystem::current_path(VARNEK_DATA_DIR);
        effectTest_openDisplay(onFrame);
        frames.clear();
    }
    void TearDown() override
    {
        effectTest_closeDisplay();
        std::filesystem::current_path(oldDir);
    }
};

// Frames at 60 Hz: the primary is cleared and given the title (2 frames),
// the title waits out its 5 s asleep, the torus shows while less than 16 s
// have passed (960 frames), the knot until the frame at 18 s (1081 frames)
// and then its 34 swelling frames.
const int kTitleFrames = 2, kTorusFrames = 960, kKnotFrames = 1081 + 34;

}

TEST_F(Scene3dsPart, PhasesLastWhatTheClockSays)
{
    const uint64_t start = pf_headlessClock();
    EXPECT_EQ(scene3dsPart(1000), 0);
    ASSERT_EQ(frames.size(), size_t(kTitleFrames + kTorusFrames + kKnotFrames));
    // 5 s of title, then one 60th of a second per frame after the first two.
    const uint64_t elapsed = pf_headlessClock() - start;
    EXPECT_NEAR(double(elapsed), 5000.0 * 60 + (frames.size() - kTitleFrames) * 1000.0, 1000.0 * 3);

    image24_T* title = loadBmp24(".\\pantallazos\\goodbad.bmp");
    ASSERT_NE(title, nullptr);
    uint16_t* titlePixels = imageToTexture16(title);
    const uint16_t titleAt123_88 = titlePixels[88 * 320 + 123];
    const uint16_t titleAt108_118 = titlePixels[118 * 320 + 108];
    delete[] titlePixels;
    freeImage24(title);

    // The title alone, then the torus with the title's corner inset at (192, 112).
    EXPECT_EQ(frames[0].lit, 0);
    EXPECT_GT(frames[1].lit, 150 * 115);
    for (int i = kTitleFrames; i < kTitleFrames + kTorusFrames; i++) {
        ASSERT_EQ(frames[i].inset, titleAt123_88) << i;
        ASSERT_EQ(frames[i].corner, titleAt108_118) << i;
        ASSERT_GT(frames[i].lit, (128 * 128 + 5000) / 4) << i;
    }
    // The knot alone, blended in over the torus's last picture: the inset
    // fades away and does not come back (until the knot swells over it).
    const int knot = kTitleFrames + kTorusFrames;
    EXPECT_NE(frames[knot].corner, titleAt108_118);
    EXPECT_NE(frames[knot].corner, 0);
    for (int i = knot + 60; i < int(frames.size()) - 34; i++) {
        ASSERT_EQ(frames[i].corner, 0) << i;
        ASSERT_GT(frames[i].lit, 5000 / 4) << i;
    }
}

TEST_F(Scene3dsPart, TorusTurnsSeeThroughAfterEightSeconds)
{
    // Stopped ten frames into the see-through part: 8 s is 480 frames after
    // the first torus frame.
    const size_t stopAt = kTitleFrames + 490;
    struct stopper_T {
        static void hook(uint32_t frame, const uint16_t* pixels, int pitch, int format)
        {
            onFrame(frame, pixels, pitch, format);
            if (frames.size() == kTitleFrames + 490)
                pf_postThreadMessage(DEMO_MSG_STOP);
        }
    };
    pf_headlessSetFrameHook(stopper_T::hook);
    EXPECT_EQ(scene3dsPart(1000), 0);
    ASSERT_EQ(frames.size(), stopAt);
    // Solid and lit, the torus shows white highlights; blended, every pixel
    // is half a lit texel plus half of what is under it, which never adds
    // up to full red (15 + 15 at most).
    for (size_t i = kTitleFrames; i < stopAt; i++) {
        if (i < kTitleFrames + 480)
            ASSERT_GT(frames[i].white, 3) << i;
        else
            ASSERT_EQ(frames[i].white, 0) << i;
    }
}

TEST_F(Scene3dsPart, StopWhileTheTitleWaitsShowsNoMeshFrame)
{
    pf_postThreadMessage(DEMO_MSG_STOP);
    EXPECT_EQ(scene3dsPart(1000), 0);
    EXPECT_EQ(frames.size(), size_t(kTitleFrames));
}

TEST_F(Scene3dsPart, MissingFilesEndTheSceneCleanly)
{
    std::filesystem::current_path(testTmp_folder("scene3ds_empty"));
    con_init();
    static int logged;
    logged = 0;
    con_setEcho([](const char*) { logged++; });
    EXPECT_EQ(scene3dsPart(1000), 0);
    con_setEcho(nullptr);
    EXPECT_EQ(frames.size(), 1u);   // the cleared screen
    EXPECT_GT(logged, 0);
}

TEST(Scene3dsData, TexturesAndMeshesFitTheScene)
{
    const std::filesystem::path oldDir = std::filesystem::current_path();
    std::filesystem::current_path(VARNEK_DATA_DIR);
    pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
    for (const char* name : {".\\textures\\psico.bmp", ".\\textures\\water.bmp", ".\\textures\\pink.bmp",
                             ".\\textures\\peo.bmp"}) {
        image24_T* image = loadBmp24(name);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->width, 256u);
        EXPECT_EQ(image->height, 256u);
        uint16_t* texels = imageToTexture16(image);
        const std::set<uint16_t> colours(texels, texels + 65536);
        EXPECT_LE(colours.size(), size_t(SCENE_MAX_COLOURS)) << name;
        EXPECT_GT(colours.size(), 40u) << name;
        delete[] texels;
        freeImage24(image);
    }
    for (const char* name : {".\\meshes\\torus3.3ds", ".\\meshes\\faces2.3ds"}) {
        mesh3ds_T* mesh = load3ds(name);
        ASSERT_NE(mesh, nullptr) << name;
        EXPECT_GT(mesh->faceCount, 1000) << name;
        EXPECT_LE(mesh->vertexCount, SCENE_MAX_VERTICES) << name;
        // A closed surface: the face normals balance out.
        float sx = 0, sy = 0, sz = 0;
        for (int f = 0; f < mesh->faceCount; f++) {
            sx += mesh->faceNormals[f].x;
            sy += mesh->faceNormals[f].y;
            sz += mesh->faceNormals[f].z;
        }
        EXPECT_LT(std::abs(sx) + std::abs(sy) + std::abs(sz), mesh->faceCount * 0.01f) << name;
        // Normals point outwards: away from the centre on average.
        float outward = 0;
        for (int i = 0; i < mesh->vertexCount; i++)
            outward += (mesh->vertices[i] - mesh->centre).dot(mesh->vertexNormals[i]);
        EXPECT_GT(outward, 0) << name;
        free3ds(mesh);
    }
    std::filesystem::current_path(oldDir);
}
