// Angle tables, matrix builders, projection and culling, texture coordinates
// and the lighting tables of the 3DS scene.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "effects/scene3ds/scene_tables.h"
#include "formats/mesh3ds.h"
#include "render/pixel_tables.h"

namespace {

struct SceneTables : ::testing::Test {
    void SetUp() override
    {
        pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
        initSceneTables();
    }
};

vec4_T times(const vec4_T& v, const mat4_T& m)
{
    vec4_T out = v;
    mat_load(&m);
    mat_transform(&out, &out, 1);
    return out;
}

void expectNear(const vec4_T& v, float x, float y, float z, float w, float tol = 1e-4f)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
    EXPECT_NEAR(v.w, w, tol);
}

// A mesh of the given triangles (3 corners each, no shared vertices).
mesh3ds_T* triangles(const std::vector<vec4_T>& corners)
{
    mesh3ds_T* mesh = mesh3ds_create();
    const vec4_T none(0, 0, 0, 1);
    for (const vec4_T& c : corners)
        mesh3ds_addVertex(mesh, c, none);
    for (size_t f = 0; f + 2 < corners.size(); f += 3)
        mesh3ds_addFace(mesh, uint16_t(f), uint16_t(f + 1), uint16_t(f + 2), none);
    EXPECT_EQ(mesh3ds_finish(mesh), 0);
    return mesh;
}

}

TEST_F(SceneTables, AnglesAreTenthsOfADegree)
{
    EXPECT_EQ(sinTable[0], 0.0f);
    EXPECT_EQ(cosTable[0], 1.0f);
    EXPECT_NEAR(sinTable[900], 1.0f, 1e-6f);
    EXPECT_NEAR(cosTable[1800], -1.0f, 1e-6f);
    EXPECT_NEAR(sinTable[300], 0.5f, 1e-6f);
    EXPECT_NEAR(sinTable[2700], -1.0f, 1e-6f);
    EXPECT_EQ(scene_angle(3600), 0);
    EXPECT_EQ(scene_angle(-1), 3599);
    EXPECT_EQ(scene_angle(-3600), 0);
    EXPECT_EQ(scene_angle(7201), 1);
}

TEST_F(SceneTables, ViewportFollowsTheScreen)
{
    EXPECT_EQ(viewport.clipXMin, 0);
    EXPECT_EQ(viewport.clipXMax, 319);
    EXPECT_EQ(viewport.clipYMin, 0);
    EXPECT_EQ(viewport.clipYMax, 239);
    EXPECT_EQ(viewport.scaleX, 0.005f);
    expectNear(sceneEye, 0, 0, 100, 1, 0);
}

TEST_F(SceneTables, RotationsTurnTheAxes)
{
    const vec4_T x(1, 0, 0, 1), y(0, 1, 0, 1);
    expectNear(times(x, matRotY(900)), 0, 0, -1, 1);
    expectNear(times(y, matRotX(900)), 0, 0, 1, 1);
    expectNear(times(x, matRotZ(900)), 0, 1, 0, 1);
    expectNear(times(y, matRotX(2700)), 0, 0, -1, 1);
    // A negative index counts back: -900 is 270 degrees.
    expectNear(times(x, matRotY(-900)), 0, 0, 1, 1);
}

TEST_F(SceneTables, BuildersComposeLeftToRight)
{
    const vec4_T p(1, 2, 3, 1);
    expectNear(times(p, matTranslate(10, 20, 30)), 11, 22, 33, 1);
    expectNear(times(vec4_T(1, 0, 0, 0), matTranslate(10, 20, 30)), 1, 0, 0, 0);
    expectNear(times(p, matScale(3)), 3, 6, 9, 1);
    // Translate first, then scale; and the other way round.
    expectNear(times(p, matMul(matTranslate(1, 1, 1), matScale(2))), 4, 6, 8, 1);
    expectNear(times(p, matMul(matScale(2), matTranslate(1, 1, 1))), 3, 5, 7, 1);
}

TEST_F(SceneTables, PerspectiveFromTheEye)
{
    const mat4_T p = matPerspective(sceneEye);
    expectNear(times(vec4_T(2, 3, -600, 1), p), -200, -300, 600, -700);
}

TEST_F(SceneTables, TransformMeshAccumulatesAndRespectsNormalFlags)
{
    mesh3ds_T* mesh = triangles({{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}});
    const mat4_T r = matRotY(900);
    transformMesh(mesh, &r, &r);
    transformMesh(mesh, &r, &r);
    expectNear(mesh->vertices[1], -1, 0, 0, 1);
    expectNear(mesh->faceNormals[0], 0, 0, -1, 0);
    expectNear(mesh->vertexNormals[2], 0, 0, -1, 0);
    expectNear(mesh->centre, -1.0f / 3, 1.0f / 3, 0, 1);

    // Without the normal flags only positions move.
    mesh->flags = 0;
    const mat4_T t = matTranslate(0, 0, 5);
    transformMesh(mesh, &t, &r);
    expectNear(mesh->vertices[1], -1, 0, 5, 1);
    expectNear(mesh->faceNormals[0], 0, 0, -1, 0);
    free3ds(mesh);
}

TEST_F(SceneTables, ScreenCentreAndScreenAxes)
{
    mesh3ds_T* mesh = triangles({{0, 0, -600, 1}, {70, 0, -600, 1}, {0, 70, -600, 1}});
    const mat4_T p = matPerspective(sceneEye);
    ASSERT_EQ(projectAndSort(mesh, &p), 0);
    ASSERT_EQ(mesh->visibleCount, 1);
    const meshFaceRecord_T& r = mesh->faceRecords[mesh->drawOrder[0]];
    EXPECT_EQ(r.x[0], 160);
    EXPECT_EQ(r.y[0], 120);
    // 70 units at depth 700 is a tenth of the half window: 16 pixels right, 12 up.
    EXPECT_EQ(r.x[1], 176);
    EXPECT_EQ(r.y[1], 120);
    EXPECT_EQ(r.x[2], 160);
    EXPECT_EQ(r.y[2], 108);
    EXPECT_EQ(r.face, 0);
    EXPECT_EQ(r.depth, -600.0f);
    free3ds(mesh);
}

TEST_F(SceneTables, FaceTurnedAwayIsCulledOnlyWhileCullingIsOn)
{
    // Clockwise seen from the eye: normal (0, 0, -1).
    mesh3ds_T* mesh = triangles({{0, 0, -600, 1}, {0, 70, -600, 1}, {70, 0, -600, 1},
                                 {0, 0, -500, 1}, {70, 0, -500, 1}, {0, 70, -500, 1}});
    ASSERT_NEAR(mesh->faceNormals[0].z, -1.0f, 1e-6f);
    const mat4_T p = matPerspective(sceneEye);
    mesh->flags |= MESH3DS_CULL;
    projectAndSort(mesh, &p);
    ASSERT_EQ(mesh->visibleCount, 1);
    EXPECT_EQ(mesh->faceRecords[mesh->drawOrder[0]].face, 1);

    mesh->flags &= ~MESH3DS_CULL;
    projectAndSort(mesh, &p);
    ASSERT_EQ(mesh->visibleCount, 2);
    // Far to near: the face at -600 first.
    EXPECT_EQ(mesh->faceRecords[mesh->drawOrder[0]].face, 0);
    EXPECT_EQ(mesh->faceRecords[mesh->drawOrder[1]].face, 1);
    free3ds(mesh);
}

TEST_F(SceneTables, DrawOrderIsFarToNearByTheNearestCorner)
{
    // Depth key = the largest z of a face's corners.
    const float zs[][3] = {{-900, -100, -900}, {-300, -300, -300}, {-800, -700, -200}, {-1000, -950, -990}};
    std::vector<vec4_T> corners;
    for (const auto& z : zs) {
        corners.push_back({0, 0, z[0], 1});
        corners.push_back({10, 0, z[1], 1});
        corners.push_back({0, 10, z[2], 1});
    }
    mesh3ds_T* mesh = triangles(corners);
    const mat4_T p = matPerspective(sceneEye);
    projectAndSort(mesh, &p);
    ASSERT_EQ(mesh->visibleCount, 4);
    const int expected[] = {3, 1, 2, 0};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(mesh->faceRecords[mesh->drawOrder[i]].face, expected[i]) << i;
    free3ds(mesh);
}

TEST_F(SceneTables, MeshLargerThanTheCacheIsRefused)
{
    // The vertex arrays sized in one go (adding them one by one would copy
    // the arrays three thousand times).
    const int count = SCENE_MAX_VERTICES + 1;
    mesh3ds_T* mesh = mesh3ds_create();
    mesh->vertices = static_cast<vec4_T*>(std::realloc(mesh->vertices, sizeof(vec4_T) * count));
    mesh->vertexNormals = static_cast<vec4_T*>(std::realloc(mesh->vertexNormals, sizeof(vec4_T) * count));
    ASSERT_TRUE(mesh->vertices && mesh->vertexNormals);
    for (int i = 0; i < count; i++)
        mesh->vertices[i] = vec4_T(float(i % 100), float(i / 100), -600, 1);
    mesh->vertexCapacity = mesh->vertexCount = count;
    mesh3ds_addFace(mesh, 0, 1, SCENE_MAX_VERTICES, vec4_T(0, 0, 0, 1));
    ASSERT_EQ(mesh3ds_finish(mesh), 0);
    const mat4_T p = matPerspective(sceneEye);
    mesh->visibleCount = 7;
    EXPECT_EQ(projectAndSort(mesh, &p), -1);
    EXPECT_EQ(mesh->visibleCount, 0);
    free3ds(mesh);
}

TEST_F(SceneTables, MeshOfMoreThan32767FacesSortsThemAll)
{
    const int vertices = 24002, faces = 48000;
    mesh3ds_T* mesh = mesh3ds_create();
    ASSERT_NE(mesh, nullptr);
    for (int i = 0; i < vertices; i++)
        ASSERT_EQ(mesh3ds_addVertex(mesh, vec4_T(float(i % 200) - 100, float(i / 200) - 60, -600, 1),
                                    vec4_T(0, 0, 0, 1)), 0);
    for (int i = 0; i < faces; i++)
        ASSERT_EQ(mesh3ds_addFace(mesh, uint16_t(i % 24000), uint16_t((i + 1) % 24000),
                                  uint16_t((i + 200) % 24000), vec4_T(0, 0, 0, 1)), 0);
    ASSERT_EQ(mesh3ds_finish(mesh), 0);
    const mat4_T p = matPerspective(sceneEye);
    ASSERT_EQ(projectAndSort(mesh, &p), 0);
    EXPECT_EQ(mesh->visibleCount, faces);
    // The last face is among those to draw.
    bool lastFound = false;
    for (int i = 0; i < mesh->visibleCount; i++)
        lastFound |= mesh->faceRecords[mesh->drawOrder[i]].face == faces - 1;
    EXPECT_TRUE(lastFound);
    free3ds(mesh);
}

TEST_F(SceneTables, PointsOnTheEyePlaneStayInRange)
{
    // W = 0 at z = 100: the division gives infinities, which are held at the
    // ends of the 16-bit range.
    mesh3ds_T* mesh = triangles({{0, 0, 100, 1}, {5, 0, 100, 1}, {0, 5, 100, 1}});
    const mat4_T p = matPerspective(sceneEye);
    projectAndSort(mesh, &p);
    ASSERT_EQ(mesh->visibleCount, 1);
    const meshFaceRecord_T& r = mesh->faceRecords[0];
    EXPECT_TRUE(r.x[1] == 32767 || r.x[1] == -32768);
    free3ds(mesh);
}

TEST_F(SceneTables, SphereMapAnglesFromTheCentre)
{
    // Directions from the centre (0, 0, 0) after averaging the six points.
    mesh3ds_T* mesh = mesh3ds_create();
    const vec4_T pts[] = {{0, 5, 0, 1}, {0, -5, 0, 1}, {0, 0, 5, 1}, {0, 0, -5, 1}, {5, 0, 0, 1}, {-5, 0, 0, 1}};
    for (const vec4_T& v : pts)
        mesh3ds_addVertex(mesh, v, vec4_T(0, 0, 0, 1));
    mesh3ds_addVertex(mesh, vec4_T(0, 0, 0, 1), vec4_T(0, 0, 0, 1));   // on the centre
    ASSERT_EQ(mesh3ds_finish(mesh), 0);
    float* uv = sphereMapUV(mesh, 512.0f);
    ASSERT_NE(uv, nullptr);
    // u from the angle to +y, v from the angle to +z, k = 512 per turn; the
    // stored 1 / (2 pi) is a hair low, so a quarter turn gives 127.99998 and
    // a half turn 255.99997, both truncated.
    const float expected[7][2] = {{0, 127}, {255, 127}, {127, 0}, {127, 255}, {127, 127}, {127, 127}, {0, 0}};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(uv[2 * i], expected[i][0]) << i;
        EXPECT_EQ(uv[2 * i + 1], expected[i][1]) << i;
    }
    std::free(uv);
    free3ds(mesh);
}

TEST_F(SceneTables, LightMapFromCentreToRim)
{
    std::vector<uint16_t> texture(65536, packColor16(1, 0, 0));
    uint16_t* shade;
    uint8_t* light;
    ASSERT_EQ(paletteTexture(texture.data(), &shade, &light), 1);
    EXPECT_EQ(light[256 * 128 + 128], 0);
    EXPECT_EQ(light[256 * 0 + 128], 254);
    EXPECT_EQ(light[256 * 128 + 0], 254);
    EXPECT_EQ(light[0], 254);   // outside the disc counts as the rim
    // Rising from the centre outwards.
    for (int b = 129; b < 256; b++)
        EXPECT_GE(light[256 * 128 + b], light[256 * 128 + b - 1]);
    // A single colour is index 0 everywhere.
    for (uint16_t t : texture)
        ASSERT_EQ(t, 0);
    // Level 0 is the colour plus a white highlight: white; level 128 of red
    // is red at cos(45 degrees) with no highlight left.
    EXPECT_EQ(shade[0], 0xFFFF);
    float r, g, b;
    unpackColor16(shade[128], &r, &g, &b);
    EXPECT_NEAR(r, 0.707f, 1.0f / 31);
    EXPECT_LT(r, 0.7072f);
    EXPECT_EQ(g, 0.0f);
    EXPECT_EQ(b, 0.0f);
    // The last level is cos(89.6 degrees) of red: below one step of 31, black.
    EXPECT_EQ(shade[255], 0);
    std::free(shade);
    std::free(light);
}

TEST_F(SceneTables, ShadeLevelZeroIsWhiteForEveryColour)
{
    std::vector<uint16_t> texture(65536);
    for (int i = 0; i < 65536; i++)
        texture[i] = uint16_t((i % 37) * 1771);
    std::vector<uint16_t> original = texture;
    uint16_t* shade;
    uint8_t* light;
    const int n = paletteTexture(texture.data(), &shade, &light);
    ASSERT_EQ(n, 37);
    for (int c = 0; c < n; c++)
        EXPECT_EQ(shade[256 * c], 0xFFFF) << c;
    // Indices in order of first appearance.
    for (int i = 0; i < 65536; i++)
        ASSERT_EQ(texture[i], i % 37);
    std::free(shade);
    std::free(light);
}

TEST_F(SceneTables, TooManyColoursAreRefusedCleanly)
{
    for (int colours : {SCENE_MAX_COLOURS, SCENE_MAX_COLOURS + 1}) {
        std::vector<uint16_t> texture(65536);
        for (int i = 0; i < 65536; i++)
            texture[i] = uint16_t(i % colours);
        const std::vector<uint16_t> original = texture;
        uint16_t* shade = reinterpret_cast<uint16_t*>(1);
        uint8_t* light = reinterpret_cast<uint8_t*>(1);
        const int n = paletteTexture(texture.data(), &shade, &light);
        if (colours > SCENE_MAX_COLOURS) {
            EXPECT_EQ(n, -1);
            EXPECT_EQ(shade, nullptr);
            EXPECT_EQ(light, nullptr);
            EXPECT_EQ(texture, original);
        } else {
            EXPECT_EQ(n, colours);
            EXPECT_EQ(texture[colours - 1], colours - 1);
            std::free(shade);
            std::free(light);
        }
    }
}
