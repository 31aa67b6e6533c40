#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formats/mac.h"
#include "formats/mac_writer.h"
#include "platform/crand.h"
#include "tests/test_tmp.h"

namespace {

struct MeshFixture_T {
    std::vector<meshVertex_T> vertices;
    std::vector<meshTriangle_T> triangles;
    std::vector<vec4_T> normals;

    void vertex(float x, float y, float z)
    {
        meshVertex_T v;
        std::memset(&v, 0, sizeof v);
        v.x = x;
        v.y = y;
        v.z = z;
        v.w = 1.0f;
        v.colour = (int16_t)(0x1234 + vertices.size());
        v.normal = vec4_T(0, 0, 1, 1);
        vertices.push_back(v);
    }
    void triangle(int32_t a, int32_t b, int32_t c)
    {
        meshTriangle_T t;
        std::memset(&t, 0, sizeof t);
        t.vertex[0] = a;
        t.vertex[1] = b;
        t.vertex[2] = c;
        t.texture = 99;
        triangles.push_back(t);
        normals.push_back(vec4_T(0, 0, (float)normals.size(), 1));
    }
    std::vector<uint8_t> encode() const
    {
        return mac_encode((int32_t)vertices.size(), (int32_t)triangles.size(), vertices.data(), triangles.data(),
                          normals.data());
    }
};

struct Loaded_T {
    int result = 0;
    int32_t vertexCount = -5, triangleCount = -5;
    meshVertex_T* vertices = nullptr;
    meshTriangle_T* triangles = nullptr;
    vec4_T* normals = nullptr;
    std::string errors;

    ~Loaded_T()
    {
        delete[] vertices;
        delete[] triangles;
        delete[] normals;
    }
};

void load(const std::vector<uint8_t>& bytes, Loaded_T& out)
{
    std::string path = testTmp_writeFile("mesh.mac", bytes);
    ::testing::internal::CaptureStderr();
    out.result = mac_load(path.c_str(), &out.vertexCount, &out.triangleCount, &out.vertices, &out.triangles,
                          &out.normals);
    out.errors = ::testing::internal::GetCapturedStderr();
    std::remove(path.c_str());
}

// Two quads side by side along x at y 0..1 and a third one above at y 1..2.
MeshFixture_T quadRow()
{
    MeshFixture_T m;
    for (int y = 0; y <= 2; y++)
        for (int x = 0; x <= 2; x++)
            m.vertex((float)x, (float)y, (float)(x + y));
    // Written out of order on purpose: highest y first.
    m.triangle(4, 5, 8);   // y 1..2, x 1..2
    m.triangle(1, 2, 5);   // y 0..1, x 1..2
    m.triangle(0, 1, 4);   // y 0..1, x 0..1, sum x 2
    m.triangle(0, 4, 3);   // y 0..1, x 0..1, sum x 1
    m.triangle(3, 4, 7);   // y 1..2, x 0..1
    return m;
}

TEST(MacLoad, RoundTripKeepsRecordsAndSortsByLowestYThenXThenSumOfX)
{
    MeshFixture_T m = quadRow();
    Loaded_T l;
    load(m.encode(), l);
    ASSERT_EQ(l.result, 0) << l.errors;
    EXPECT_EQ(l.errors, "");
    ASSERT_EQ(l.vertexCount, 9);
    ASSERT_EQ(l.triangleCount, 5);
    EXPECT_EQ(std::memcmp(l.vertices, m.vertices.data(), 9 * sizeof(meshVertex_T)), 0);
    const int32_t expectFirst[5] = {0, 0, 1, 3, 4};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(l.triangles[i].vertex[0], expectFirst[i]) << i;
    EXPECT_EQ(l.triangles[0].vertex[1], 4);   // sum of x 1 before sum of x 2
    // Normals stay in file order.
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(l.normals[i].z, (float)i);
}

TEST(MacLoad, LowerYSortsFirstWhateverTheX)
{
    MeshFixture_T m;
    m.vertex(100, 1, 0);
    m.vertex(101, 1, 0);
    m.vertex(100, 2, 0);
    m.vertex(-50, 0, 0);
    m.vertex(-49, 5, 0);
    m.vertex(-48, 5, 0);
    m.triangle(0, 1, 2);
    m.triangle(3, 4, 5);
    Loaded_T l;
    load(m.encode(), l);
    ASSERT_EQ(l.result, 0);
    EXPECT_EQ(l.triangles[0].vertex[0], 3);
    EXPECT_EQ(l.triangles[1].vertex[0], 0);
}

TEST(MacLoad, PairsShareOneTextureFromTheEngineGenerator)
{
    MeshFixture_T m = quadRow();
    crt_srand(77);
    int expected[4];
    for (int& e : expected)
        e = crt_rand();
    crt_srand(77);
    Loaded_T l;
    load(m.encode(), l);
    ASSERT_EQ(l.result, 0);
    const float first[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    const float second[3][2] = {{1, 1}, {0, 1}, {0, 0}};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(l.triangles[i].texture, expected[i / 2] & 7) << i;
        EXPECT_EQ(std::memcmp(l.triangles[i].uv, i % 2 ? second : first, sizeof first), 0) << i;
    }
    // Three draws for five triangles: the generator is exactly three steps on.
    EXPECT_EQ(crt_rand(), expected[3]);
}

TEST(MacLoad, EmptyMeshLoads)
{
    MeshFixture_T m;
    Loaded_T l;
    load(m.encode(), l);
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(l.vertexCount, 0);
    EXPECT_EQ(l.triangleCount, 0);
}

TEST(MacLoad, RejectsBrokenFilesWithOneLineAndNothingHandedOut)
{
    const std::vector<uint8_t> good = quadRow().encode();
    auto put32 = [](std::vector<uint8_t>& b, size_t at, int32_t v) { std::memcpy(&b[at], &v, 4); };
    struct Case {
        const char* what;
        void (*edit)(std::vector<uint8_t>&, decltype(put32)&);
        const char* message;
    };
    const Case cases[] = {
        {"magic PV MAGIX", [](std::vector<uint8_t>& b, decltype(put32)&) { b[7] = 'X'; }, "no es formato MAC"},
        {"short magic", [](std::vector<uint8_t>& b, decltype(put32)&) { b.resize(5); }, "Error al leer en"},
        {"no vertex count", [](std::vector<uint8_t>& b, decltype(put32)&) { b.resize(10); }, "Error al leer de"},
        {"no triangle count", [](std::vector<uint8_t>& b, decltype(put32)&) { b.resize(14); }, "Error al leer en"},
        {"negative vertex count", [](std::vector<uint8_t>& b, decltype(put32)& p) { p(b, 8, -1); }, "Error al leer en"},
        {"negative triangle count", [](std::vector<uint8_t>& b, decltype(put32)& p) { p(b, 12, -3); },
         "Error al leer en"},
        {"huge vertex count", [](std::vector<uint8_t>& b, decltype(put32)& p) { p(b, 8, 0x7FFFFFFF); },
         "Error al leer en"},
        {"one triangle too many", [](std::vector<uint8_t>& b, decltype(put32)& p) { p(b, 12, 6); },
         "Error al leer en"},
        {"truncated in the triangles", [](std::vector<uint8_t>& b, decltype(put32)&) { b.resize(16 + 9 * 84 + 60); },
         "Error al leer en"},
        {"truncated in the normals", [](std::vector<uint8_t>& b, decltype(put32)&) { b.resize(b.size() - 1); },
         "Error al leer en"},
        {"vertex index = V", [](std::vector<uint8_t>& b, decltype(put32)& p) { p(b, 16 + 9 * 84 + 40 + 4, 9); },
         "fuera de rango"},
        {"negative vertex index", [](std::vector<uint8_t>& b, decltype(put32)& p) { p(b, 16 + 9 * 84 + 8, -1); },
         "fuera de rango"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.edit(bytes, put32);
        Loaded_T l;
        load(bytes, l);
        EXPECT_EQ(l.result, -1) << c.what;
        EXPECT_NE(l.errors.find(c.message), std::string::npos) << c.what << ": " << l.errors;
        EXPECT_EQ(std::count(l.errors.begin(), l.errors.end(), '\n'), 1) << c.what;
        EXPECT_EQ(l.vertexCount, 0) << c.what;
        EXPECT_EQ(l.triangleCount, 0) << c.what;
        EXPECT_EQ(l.vertices, nullptr) << c.what;
        EXPECT_EQ(l.triangles, nullptr) << c.what;
        EXPECT_EQ(l.normals, nullptr) << c.what;
    }
}

TEST(MacLoad, MissingFileIsReported)
{
    Loaded_T l;
    ::testing::internal::CaptureStderr();
    l.result = mac_load("no such mesh.MAC", &l.vertexCount, &l.triangleCount, &l.vertices, &l.triangles, &l.normals);
    l.errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(l.result, -1);
    EXPECT_EQ(l.errors, "Fichero no such mesh.MAC no se pudo abrir\n");
}

TEST(MacEncode, LayoutIsMagicCountsThenRecords)
{
    MeshFixture_T m = quadRow();
    std::vector<uint8_t> bytes = m.encode();
    ASSERT_EQ(bytes.size(), 16u + 9 * 84 + 5 * 40 + 5 * 16);
    EXPECT_EQ(std::memcmp(bytes.data(), "PV MAGIC", 8), 0);
    int32_t v, t;
    std::memcpy(&v, &bytes[8], 4);
    std::memcpy(&t, &bytes[12], 4);
    EXPECT_EQ(v, 9);
    EXPECT_EQ(t, 5);
    int16_t colour;
    std::memcpy(&colour, &bytes[16 + 84 + 64], 2);
    EXPECT_EQ(colour, 0x1235);
    float normalZ;
    std::memcpy(&normalZ, &bytes[16 + 9 * 84 + 5 * 40 + 16 + 8], 4);
    EXPECT_EQ(normalZ, 1.0f);
}

}
