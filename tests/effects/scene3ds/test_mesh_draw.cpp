// drawMesh: the mode picks the filler and the attributes, faces go far to near.
#include <gtest/gtest.h>

#include <vector>

#include "effects/scene3ds/mesh_draw.h"
#include "effects/scene3ds/scene_tables.h"
#include "formats/mesh3ds.h"
#include "platform/display.h"
#include "render/pixel_tables.h"

namespace {

struct MeshDraw : ::testing::Test {
    std::vector<uint16_t> surface = std::vector<uint16_t>(320 * 240, 0);
    std::vector<uint16_t> texture = std::vector<uint16_t>(65536, 0);
    std::vector<uint8_t> light = std::vector<uint8_t>(65536, 0);
    std::vector<uint16_t> shade = std::vector<uint16_t>(256 * 256);
    std::vector<float> uv;
    meshDrawOptions_T options = {};
    mesh3ds_T* mesh = nullptr;

    void SetUp() override
    {
        pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
        initSceneTables();
        surfacePitch = 320;
        for (int c = 0; c < 256; c++)
            for (int j = 0; j < 256; j++)
                shade[256 * c + j] = uint16_t(j << 8 | c);
        mesh = mesh3ds_create();
    }
    void TearDown() override { free3ds(mesh); }

    // A square facing the viewer at depth z whose corners all take texel (u, v).
    void addSquare(float z, float half, float u, float v)
    {
        const uint16_t base = uint16_t(mesh->vertexCount);
        const vec4_T none(0, 0, 0, 1);
        for (const auto& c : {std::pair{-half, -half}, {half, -half}, {half, half}, {-half, half}}) {
            mesh3ds_addVertex(mesh, vec4_T(c.first, c.second, z, 1), none);
            uv.insert(uv.end(), {u, v});
        }
        mesh3ds_addFace(mesh, base, uint16_t(base + 1), uint16_t(base + 2), none);
        mesh3ds_addFace(mesh, base, uint16_t(base + 2), uint16_t(base + 3), none);
    }
    void draw(uint32_t mode)
    {
        options = {mode, uv.data(), texture.data(), light.data(), shade.data()};
        mesh->drawOptions = &options;
        const mat4_T p = matPerspective(sceneEye);
        ASSERT_EQ(projectAndSort(mesh, &p), 0);
        std::fill(surface.begin(), surface.end(), 0);
        EXPECT_EQ(drawMesh(mesh, surface.data()), 1);
    }
};

uint16_t half565(uint16_t p)
{
    return uint16_t((((p >> 11) & 31) >> 1) << 11 | (((p >> 5) & 63) >> 1) << 5 | ((p & 31) >> 1));
}

}

TEST_F(MeshDraw, ModePicksFillerAndAttributes)
{
    addSquare(-600, 200, 7, 9);
    ASSERT_EQ(mesh3ds_finish(mesh), 0);
    // (u, v) = (7, 9) addresses texel 9 * 256 + 7; the normal (0, 0, 1)
    // addresses (s, t) = (128, 128) in the texture and the light map alike.
    texture[9 * 256 + 7] = 11;
    texture[128 * 256 + 128] = 22;
    light[128 * 256 + 128] = 5;
    const uint16_t expected[8] = {11, 22, half565(11), half565(22),
                                  5 << 8 | 11, 5 << 8 | 22, half565(5 << 8 | 11), half565(5 << 8 | 22)};
    for (uint32_t mode = 0; mode < 8; mode++) {
        draw(mode);
        EXPECT_EQ(surface[120 * 320 + 160], expected[mode]) << mode;
        int drawn = 0;
        for (uint16_t p : surface)
            drawn += p == expected[mode];
        // 400 units at 700 from the eye cover 2/7 of the 200-unit window:
        // about 91 x 69 pixels, all of the same value.
        EXPECT_NEAR(drawn, 91 * 69, 200) << mode;
    }
}

TEST_F(MeshDraw, NearerFaceIsDrawnLast)
{
    texture[1] = 0x1111;
    texture[2] = 0x2222;
    addSquare(-400, 50, 2, 0);   // nearer, added first
    addSquare(-800, 300, 1, 0);
    ASSERT_EQ(mesh3ds_finish(mesh), 0);
    draw(0);
    EXPECT_EQ(surface[120 * 320 + 160], 0x2222);
    // Outside the near square, the far one shows.
    EXPECT_EQ(surface[120 * 320 + 160 + 40], 0x1111);
}

TEST_F(MeshDraw, MeshWithoutOptionsDrawsNothing)
{
    addSquare(-600, 200, 7, 9);
    ASSERT_EQ(mesh3ds_finish(mesh), 0);
    texture.assign(65536, 0xFFFF);
    const mat4_T p = matPerspective(sceneEye);
    projectAndSort(mesh, &p);
    ASSERT_GT(mesh->visibleCount, 0);
    EXPECT_EQ(drawMesh(mesh, surface.data()), 1);
    for (uint16_t px : surface)
        ASSERT_EQ(px, 0);
}
