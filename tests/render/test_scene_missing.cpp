// A terrain file that cannot be read gives no scene at all, so that the
// fly-through can tell it from a mesh that is merely empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/mac_writer.h"
#include "platform/log.h"
#include "render/r3d_scene.h"
#include "tests/test_tmp.h"

namespace {

// One triangle over three vertices, as the generator writes them.
std::vector<uint8_t> oneTriangle()
{
    meshVertex_T v[3] = {};
    for (int i = 0; i < 3; i++) {
        v[i].x = (float)(i & 1);
        v[i].y = (float)(i >> 1);
        v[i].w = 1;
    }
    meshTriangle_T t = {};
    t.vertex[0] = 0;
    t.vertex[1] = 1;
    t.vertex[2] = 2;
    vec4_T n(0, 0, 1, 1);
    return mac_encode(3, 1, v, &t, &n);
}

// The octree's construction writes to the log.
class R3dSceneMissing : public testing::Test {
protected:
    void SetUp() override { con_init(); }
};

TEST_F(R3dSceneMissing, UnreadableFilesGiveNoScene)
{
    const std::vector<uint8_t> whole = oneTriangle();
    struct {
        const char* what;
        size_t keep;   // bytes of the whole file kept
    } cuts[] = {
        {"empty", 0}, {"inside the magic", 5}, {"inside the counts", 12}, {"inside the vertices", 16 + 84},
        {"inside the normals", whole.size() - 1},
    };
    for (const auto& c : cuts) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + c.keep);
        std::string path = testTmp_writeFile("r3d_cut.MAC", cut);
        EXPECT_EQ(r3d_loadScene(path.c_str()), nullptr) << c.what;
    }
    EXPECT_EQ(r3d_loadScene(testTmp_path("no such terrain.MAC").c_str()), nullptr);
}

TEST_F(R3dSceneMissing, WholeAndEmptyMeshesStillGiveScenes)
{
    scene_T* scene = r3d_loadScene(testTmp_writeFile("r3d_whole.MAC", oneTriangle()).c_str());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->vertexCount, 3);
    EXPECT_EQ(scene->triangleCount, 1);
    r3d_freeScene(scene);

    scene = r3d_loadScene(testTmp_writeFile("r3d_empty.MAC", mac_encode(0, 0, nullptr, nullptr, nullptr)).c_str());
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->vertexCount, 0);
    EXPECT_EQ(scene->triangleCount, 0);
    r3d_freeScene(scene);
}

}  // namespace
