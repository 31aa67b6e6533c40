// The terrain scene and its octree: construction, the log, the walk with
// its stamps and cache hits, and whole frames drawn from small meshes.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "formats/bmp_writer.h"
#include "formats/mac_writer.h"
#include "geometry/camera.h"
#include "platform/backend_headless.h"
#include "platform/crand.h"
#include "platform/log.h"
#include "render/r3d_render.h"
#include "render/r3d_scene.h"
#include "render/r3d_tex.h"
#include "tests/render/render_fixture.h"
#include "tests/test_tmp.h"

namespace {

std::vector<std::string> logLines;
void onLog(const char* line) { logLines.push_back(line); }

struct meshSpec_T {
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<int32_t, 3>> tris;
    int16_t colour = 0x0400;
};

// Writes the mesh as a MAC file and builds the scene from it.
scene_T* loadMesh(const meshSpec_T& m, const char* name)
{
    std::vector<meshVertex_T> verts(m.points.size());
    for (size_t i = 0; i < verts.size(); i++) {
        verts[i] = screenVertex(m.points[i][0], m.points[i][1], m.colour);
        verts[i].z = m.points[i][2];
        verts[i].normal.set(0, 0, -1, 1);
    }
    std::vector<meshTriangle_T> tris(m.tris.size());
    for (size_t t = 0; t < tris.size(); t++)
        for (int k = 0; k < 3; k++)
            tris[t].vertex[k] = m.tris[t][k];
    std::vector<vec4_T> normals(tris.size(), vec4_T(0, 0, 1, 1));
    std::vector<uint8_t> bytes =
        mac_encode((int32_t)verts.size(), (int32_t)tris.size(), verts.data(), tris.data(), normals.data());
    return r3d_loadScene(testTmp_writeFile(name, bytes).c_str());
}

// Triangle A has one vertex in each of children 0, 3 and 6 of the root
// (box 1..9); triangle B lies in child 5. Both face a camera south of them.
meshSpec_T threeOctants()
{
    meshSpec_T m;
    m.points = {{1, 1, 1}, {9, 9, 1}, {1, 9, 9}, {9, 1, 9}, {8, 1, 9}, {9, 2, 9}};
    m.tris = {{0, 1, 2}, {3, 4, 5}};
    return m;
}

// Every ground texture a mid grey picture in 5-6-5.
void loadTestTextures()
{
    r3d_loadTextures();
    texRed = {0xF800, 11, 5};
    texGreen = {0x07E0, 5, 6};
    texBlue = {0x001F, 0, 5};
    std::vector<uint8_t> bgr(64 * 64 * 4, 0x90);
    image24_T image{24, 64, 64, bgr.data()};
    std::string path = testTmp_path("r3d_grey.bmp");
    ASSERT_EQ(bmp_save24(path.c_str(), &image), 0);
    for (int slot = 0; slot < 8; slot++)
        ASSERT_EQ(r3d_loadBmpTexture(slot, path.c_str()), 0);
}

PVCamera southOf(float y)
{
    PVCamera cam;
    cam.setPosition(5, y, 5);
    cam.lookAt(vec4_T(5, y + 10, 5, 1));
    return cam;
}

class R3dScene : public testing::Test {
protected:
    void SetUp() override
    {
        // The frame's profiling slots read the clock.
        pf_headlessReset();
        pf_setBackend(pf_headlessBackend());
        con_init();
        con_setEcho(onLog);
        logLines.clear();
        use3dfx = 0;
        renderMode = 4;
        crt_srand(1);
    }
    void TearDown() override
    {
        con_setEcho(nullptr);
        r3d_freeScene(scene);
        renderMode = 4;
    }
    bool logged(const std::string& line) const
    {
        for (const std::string& l : logLines)
            if (l == line)
                return true;
        return false;
    }
    // One frame from the camera, with a new stamp.
    void frame(PVCamera& cam)
    {
        frameStamp += 1;
        r3d_render(scene, &cam);
    }
    scene_T* scene = nullptr;
};

}  // namespace

TEST_F(R3dScene, RootIsACubeAnchoredAtTheMinimumCorner)
{
    meshSpec_T m;
    m.points = {{10, 0, -4}, {30, 5, 4}, {20, 2, 0}};
    m.tris = {{0, 1, 2}};
    scene = loadMesh(m, "r3d_root.mac");
    const octNode_T& r = scene->root;
    EXPECT_EQ(r.x0, 10);
    EXPECT_EQ(r.x1, 30);
    EXPECT_EQ(r.y0, 0);
    EXPECT_EQ(r.y1, 20);
    EXPECT_EQ(r.z0, -4);
    EXPECT_EQ(r.z1, 16);
    // One triangle: never subdivided, its list kept at the root.
    for (const octNode_T* c : r.child)
        EXPECT_EQ(c, nullptr);
    ASSERT_NE(r.tris, nullptr);
    EXPECT_EQ(r.tris->tri, 0u);
    EXPECT_EQ(r.tris->next, nullptr);
    EXPECT_TRUE(logged("N\xBA de nodos de nodo 0:  1"));
}

TEST_F(R3dScene, TriangleOverThreeOctantsIsListedInThreeLeaves)
{
    scene = loadMesh(threeOctants(), "r3d_three.mac");
    const octNode_T& r = scene->root;
    EXPECT_EQ(r.tris, nullptr);   // subdivided: holds no list of its own
    const bool present[8] = {true, false, false, true, false, true, true, false};
    for (int k = 0; k < 8; k++) {
        ASSERT_EQ(r.child[k] != nullptr, present[k]) << k;
        if (present[k]) {
            ASSERT_NE(r.child[k]->tris, nullptr);
            EXPECT_EQ(r.child[k]->tris->next, nullptr);
        }
    }
    // The log walks the tree depth first, interior nodes reporting 0.
    std::vector<std::string> tree;
    for (const std::string& l : logLines)
        if (l.rfind("N\xBA de nodos", 0) == 0)
            tree.push_back(l);
    const std::vector<std::string> expected = {
        "N\xBA de nodos de nodo 0:  0", "N\xBA de nodos de nodo 0.0:  1", "N\xBA de nodos de nodo 0.3:  1",
        "N\xBA de nodos de nodo 0.5:  1", "N\xBA de nodos de nodo 0.6:  1"};
    EXPECT_EQ(tree, expected);
}

TEST_F(R3dScene, ColourPassesAndRecomputedNormals)
{
    meshSpec_T m = threeOctants();
    m.colour = -3;
    scene = loadMesh(m, "r3d_colour.mac");
    EXPECT_EQ(scene->srcVerts[0].b, -12.0f);   // 4 x the signed colour
    EXPECT_EQ(scene->workVerts[0].b, 0.0f);    // 7 x the file's blue, which was 0
    EXPECT_EQ(scene->workVerts[0].alpha, 255.0f);
    EXPECT_EQ(scene->workVerts[0].w, 1.0f);
    // Triangle B: (8,1,9)-(9,1,9) x (9,2,9)-(8,1,9) points down.
    vec4_T n = scene->triNormals[1];
    EXPECT_FLOAT_EQ(n.x, 0);
    EXPECT_FLOAT_EQ(n.y, 0);
    EXPECT_FLOAT_EQ(n.z, -1);
}

TEST_F(R3dScene, StarFieldTakesThreeValuesPerStarFromTheEngineGenerator)
{
    crt_srand(1);
    scene = loadMesh(threeOctants(), "r3d_stars.mac");
    int after = crt_rand();
    crt_srand(1);
    std::vector<int> seq(302);
    for (int& v : seq)
        v = crt_rand();
    // The mesh reader drew seq[0] for its one pair of triangles; the first
    // star takes the next three, z from the first of them.
    EXPECT_FLOAT_EQ(starField[0].x, (float)(seq[3] % 5000));
    EXPECT_FLOAT_EQ(starField[0].y, (float)(seq[2] % 5000) + 10000.0f);
    EXPECT_FLOAT_EQ(starField[0].z, (float)(seq[1] % 5000) + 1000.0f);
    EXPECT_EQ(starField[0].w, 1.0f);
    // Eleven stars per outer step: star 11 is the first at a = pi / 5.
    EXPECT_NEAR(starField[11].x, (float)(seq[36] % 5000) + 10000.0f * 0.5877853f, 0.01f);
    EXPECT_EQ(starField[99].w, 1.0f);
    // 300 values for the 100 stars, nothing more.
    EXPECT_EQ(after, seq[301]);
}

TEST_F(R3dScene, WalkExaminesEachTriangleOnceAndCountsTheOtherLeavesAsHits)
{
    scene = loadMesh(threeOctants(), "r3d_walk.mac");
    PVCamera cam = southOf(-40);
    testSurface_T s;
    for (int pass = 0; pass < 2; pass++) {   // the stamps change, the counts do not
        logLines.clear();
        frame(cam);
        EXPECT_EQ(trianglesDrawn, 2);
        EXPECT_EQ(cacheHits, 2);
        EXPECT_EQ(visibleTriCount, 2);
        EXPECT_TRUE(logged("Triangles Drawn: 2 Cache Hits: 2"));
    }
}

TEST_F(R3dScene, TrianglesNearerThanTwelveAreDroppedAndNodesBehindAreSkipped)
{
    scene = loadMesh(threeOctants(), "r3d_near.mac");
    testSurface_T s;
    PVCamera close = southOf(-10);   // triangle A's first vertex is 11 ahead
    frame(close);
    EXPECT_EQ(trianglesDrawn, 2);
    EXPECT_EQ(visibleTriCount, 0);

    PVCamera away;
    away.setPosition(5, -40, 5);
    away.lookAt(vec4_T(5, -50, 5, 1));
    frame(away);
    EXPECT_EQ(trianglesDrawn, 0);
    EXPECT_EQ(cacheHits, 0);
    EXPECT_TRUE(logged("Triangles Drawn: 0 Cache Hits: 0"));
}

TEST_F(R3dScene, FacingAwayTrianglesAreExaminedButNotCollected)
{
    scene = loadMesh(threeOctants(), "r3d_back.mac");
    testSurface_T s;
    PVCamera north;   // A seen from behind; B, facing down, still seen from below
    north.setPosition(5, 50, 5);
    north.lookAt(vec4_T(5, 40, 5, 1));
    frame(north);
    EXPECT_EQ(trianglesDrawn, 2);
    ASSERT_EQ(visibleTriCount, 1);
    EXPECT_EQ(visibleTris[0], 1u);
}

TEST_F(R3dScene, FrameDrawsShadedTexturedTrianglesAndModeAboveFourOnlyStars)
{
    // A wall of two triangles 100 ahead, filling the middle of the screen.
    meshSpec_T m;
    m.points = {{-60, 100, -40}, {60, 100, -40}, {60, 100, 40}, {-60, 100, 40}};
    m.tris = {{0, 1, 2}, {2, 3, 0}};
    scene = loadMesh(m, "r3d_wall.mac");
    loadTestTextures();
    PVCamera cam;
    cam.setPosition(0, 0, 0);
    cam.lookAt(vec4_T(0, 10, 0, 1));

    testSurface_T s;
    frame(cam);
    EXPECT_EQ(visibleTriCount, 2);
    EXPECT_NE(s.at(160, 120), 0);
    EXPECT_GT(s.countNot(0), 15000);

    testSurface_T stars;
    renderMode = 5;
    logLines.clear();
    frame(cam);
    EXPECT_EQ(stars.at(160, 120), 0);
    for (uint16_t p : stars.pixels)
        EXPECT_TRUE(p == 0 || p == 0xFFFF);
    EXPECT_EQ(trianglesDrawn, 2);
    EXPECT_TRUE(logged("Triangles Drawn: 2 Cache Hits: " + std::to_string(cacheHits)));
}

TEST_F(R3dScene, EveryModeDrawsInsideTheBand)
{
    meshSpec_T m;
    m.points = {{-300, 100, -200}, {300, 100, -200}, {300, 100, 200}, {-300, 100, 200}, {0, 60, 0}};
    m.tris = {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}};
    scene = loadMesh(m, "r3d_modes.mac");
    loadTestTextures();
    PVCamera cam;
    cam.setPosition(0, -20, 0);
    cam.lookAt(vec4_T(0, 10, 0, 1));
    for (int mode = 0; mode <= 4; mode++) {
        testSurface_T s;
        renderMode = mode;
        frame(cam);
        int painted = 0;
        for (int y = 0; y < 240; y++)
            for (int x = 0; x < 320; x++)
                if (s.at(x, y) != 0 && s.at(x, y) != 0xFFFF) {
                    painted++;
                    EXPECT_TRUE(x >= 8 && x <= 313 && y >= 8 && y <= 232) << mode << ": " << x << "," << y;
                }
        EXPECT_GT(painted, 100) << mode;
    }
}
