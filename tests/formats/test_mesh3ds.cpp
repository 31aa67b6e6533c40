// The 3DS reader: chunk search, the first object, growth, centre and normals,
// and the files it must refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/mesh3ds.h"
#include "formats/mesh3ds_writer.h"
#include "tests/test_tmp.h"

namespace {

// Writes the bytes to a scratch file and reads it back as a mesh.
mesh3ds_T* loadBytes(const std::vector<uint8_t>& bytes)
{
    const std::string path = testTmp_writeFile("mesh.3ds", bytes);
    mesh3ds_T* mesh = load3ds(path.c_str());
    std::remove(path.c_str());
    return mesh;
}

const float kTriangle[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
const uint16_t kTriangleFace[1][3] = {{0, 1, 2}};

// A square pyramid: 5 vertices, 6 faces (base split in two), outward normals.
const float kPyramid[5][3] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {0, 0, 2}};
const uint16_t kPyramidFaces[6][3] = {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}, {0, 2, 1}, {0, 3, 2}};

// main > editor > objects..., each object a name and a triangle mesh holding
// the given chunks in order.
struct objectDesc_T {
    std::string name;
    std::vector<float> xyz;          // 3 per vertex
    std::vector<uint16_t> abc;       // 3 per face
    bool facesFirst;
};

std::vector<uint8_t> encodeObjects(const std::vector<objectDesc_T>& objects)
{
    chunk3dsWriter_T w;
    chunk3ds_open(&w, CHUNK3DS_MAIN);
    chunk3ds_open(&w, CHUNK3DS_EDITOR);
    for (const objectDesc_T& o : objects) {
        chunk3ds_open(&w, CHUNK3DS_OBJECT);
        chunk3ds_name(&w, o.name.c_str());
        chunk3ds_open(&w, CHUNK3DS_TRIMESH);
        const auto* xyz = reinterpret_cast<const float(*)[3]>(o.xyz.data());
        const auto* abc = reinterpret_cast<const uint16_t(*)[3]>(o.abc.data());
        const int nv = static_cast<int>(o.xyz.size() / 3), nf = static_cast<int>(o.abc.size() / 3);
        if (o.facesFirst)
            chunk3ds_faceList(&w, abc, nf);
        chunk3ds_vertexList(&w, xyz, nv);
        if (!o.facesFirst)
            chunk3ds_faceList(&w, abc, nf);
        chunk3ds_close(&w);
        chunk3ds_close(&w);
    }
    chunk3ds_close(&w);
    chunk3ds_close(&w);
    return w.bytes;
}

objectDesc_T triangleObject(const std::string& name)
{
    return {name, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, false};
}

void expectVec(const vec4_T& v, float x, float y, float z, float w)
{
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
    EXPECT_EQ(v.w, w);
}

}

TEST(Mesh3ds, RoundTripOfTheWriter)
{
    mesh3ds_T* mesh = loadBytes(mesh3ds_encode("pyramid", kPyramid, 5, kPyramidFaces, 6));
    ASSERT_NE(mesh, nullptr);
    EXPECT_STREQ(mesh->name, "pyramid");
    ASSERT_EQ(mesh->vertexCount, 5);
    ASSERT_EQ(mesh->faceCount, 6);
    for (int i = 0; i < 5; i++)
        expectVec(mesh->vertices[i], kPyramid[i][0], kPyramid[i][1], kPyramid[i][2], 1.0f);
    for (int f = 0; f < 6; f++)
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(mesh->faces[f][k], kPyramidFaces[f][k]);
    EXPECT_EQ(mesh->flags, static_cast<uint32_t>(MESH3DS_VERTEX_NORMALS | MESH3DS_FACE_NORMALS));
    expectVec(mesh->centre, 0.0f, 0.0f, 0.4f, 1.0f);
    // The base faces point down, the apex normal straight up.
    expectVec(mesh->faceNormals[4], 0, 0, -1, 0.0f);
    expectVec(mesh->vertexNormals[4], 0, 0, 1, 0.0f);
    EXPECT_EQ(mesh->drawMode, 0);
    EXPECT_EQ(mesh->drawOptions, nullptr);
    EXPECT_EQ(mesh->visibleCount, 0);
    EXPECT_NE(mesh->faceRecords, nullptr);
    EXPECT_NE(mesh->drawOrder, nullptr);
    free3ds(mesh);
}

TEST(Mesh3ds, SingleTriangleNormalsAndCentre)
{
    mesh3ds_T* mesh = loadBytes(mesh3ds_encode("tri", kTriangle, 3, kTriangleFace, 1));
    ASSERT_NE(mesh, nullptr);
    expectVec(mesh->faceNormals[0], 0, 0, 1, 0.0f);
    for (int i = 0; i < 3; i++)
        expectVec(mesh->vertexNormals[i], 0, 0, 1, 0.0f);
    expectVec(mesh->centre, 1.0f / 3.0f, 1.0f / 3.0f, 0.0f, 1.0f);
    free3ds(mesh);
}

TEST(Mesh3ds, NameOf31CharactersIsKept32IsRejected)
{
    const std::string name31(31, 'n');
    mesh3ds_T* mesh = loadBytes(encodeObjects({triangleObject(name31)}));
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(std::string(mesh->name), name31);
    free3ds(mesh);

    EXPECT_EQ(loadBytes(encodeObjects({triangleObject(std::string(32, 'n'))})), nullptr);
}

TEST(Mesh3ds, FaceListBeforeVertexListIsRejected)
{
    objectDesc_T o = triangleObject("swapped");
    o.facesFirst = true;
    EXPECT_EQ(loadBytes(encodeObjects({o})), nullptr);
}

TEST(Mesh3ds, OnlyTheFirstOfTwoObjectsIsRead)
{
    objectDesc_T second = {"second", {5, 5, 5, 6, 5, 5, 5, 6, 5, 7, 7, 7}, {0, 1, 2, 1, 2, 3}, false};
    mesh3ds_T* mesh = loadBytes(encodeObjects({triangleObject("first"), second}));
    ASSERT_NE(mesh, nullptr);
    EXPECT_STREQ(mesh->name, "first");
    EXPECT_EQ(mesh->vertexCount, 3);
    EXPECT_EQ(mesh->faceCount, 1);
    free3ds(mesh);
}

TEST(Mesh3ds, ArraysGrowByTen)
{
    const struct {
        int vertices, capacity;
    } cases[] = {{3, 10}, {10, 10}, {11, 20}, {25, 30}, {30, 30}};
    for (const auto& c : cases) {
        std::vector<float> xyz;
        for (int i = 0; i < c.vertices; i++)
            xyz.insert(xyz.end(), {float(i), float(i * i % 7), 1.0f});
        std::vector<uint16_t> abc;
        for (int i = 0; i + 2 < c.vertices; i++)
            abc.insert(abc.end(), {uint16_t(i), uint16_t(i + 1), uint16_t(i + 2)});
        mesh3ds_T* mesh = loadBytes(encodeObjects({{"grow", xyz, abc, false}}));
        ASSERT_NE(mesh, nullptr) << c.vertices;
        EXPECT_EQ(mesh->vertexCount, c.vertices);
        EXPECT_EQ(mesh->vertexCapacity, c.capacity) << c.vertices;
        EXPECT_EQ(mesh->faceCount, c.vertices - 2);
        EXPECT_EQ(mesh->faceCapacity, c.vertices - 2 <= 10 ? 10 : c.vertices - 2 <= 20 ? 20 : 30);
        for (int i = 0; i < c.vertices; i++)
            EXPECT_EQ(mesh->vertices[i].x, float(i));
        free3ds(mesh);
    }
}

TEST(Mesh3ds, GrowthStopsAtTheLargest16BitCount)
{
    // A mesh about to reach 65 535 entries of each kind (filling it one by
    // one would copy the arrays three thousand times).
    mesh3ds_T* mesh = mesh3ds_create();
    ASSERT_NE(mesh, nullptr);
    const uint16_t nearlyFull = 65528;
    mesh->vertices = static_cast<vec4_T*>(std::realloc(mesh->vertices, sizeof(vec4_T) * nearlyFull));
    mesh->vertexNormals = static_cast<vec4_T*>(std::realloc(mesh->vertexNormals, sizeof(vec4_T) * nearlyFull));
    mesh->faces = static_cast<uint16_t(*)[3]>(std::realloc(mesh->faces, sizeof(uint16_t[3]) * nearlyFull));
    mesh->faceNormals = static_cast<vec4_T*>(std::realloc(mesh->faceNormals, sizeof(vec4_T) * nearlyFull));
    ASSERT_TRUE(mesh->vertices && mesh->vertexNormals && mesh->faces && mesh->faceNormals);
    mesh->vertexCapacity = mesh->vertexCount = nearlyFull;
    mesh->faceCapacity = mesh->faceCount = nearlyFull;
    const vec4_T p(1, 2, 3, 1), n(0, 0, 0, 1);
    for (int i = 0; i < 7; i++) {
        ASSERT_EQ(mesh3ds_addVertex(mesh, p, n), 0) << i;
        ASSERT_EQ(mesh3ds_addFace(mesh, 0, 1, 2, n), 0) << i;
    }
    EXPECT_EQ(mesh->vertexCapacity, 65535);
    EXPECT_EQ(mesh->faceCapacity, 65535);
    EXPECT_EQ(mesh->vertexCount, 65535);
    EXPECT_EQ(mesh->vertices[65534].z, 3.0f);
    // Full: refused, nothing changed.
    EXPECT_EQ(mesh3ds_addVertex(mesh, p, n), -1);
    EXPECT_EQ(mesh3ds_addFace(mesh, 0, 1, 2, n), -1);
    EXPECT_EQ(mesh->vertexCount, 65535);
    EXPECT_EQ(mesh->faceCount, 65535);
    free3ds(mesh);
}

TEST(Mesh3ds, MeshWithoutVerticesKeepsCentreAtOrigin)
{
    mesh3ds_T* mesh = loadBytes(encodeObjects({{"empty", {}, {}, false}}));
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, 0);
    EXPECT_EQ(mesh->faceCount, 0);
    expectVec(mesh->centre, 0, 0, 0, 1.0f);
    free3ds(mesh);
}

// Counts are unsigned: 0x8000 is 32 768 entries, which this chunk cannot
// hold, so the file is refused rather than read as an empty list.
TEST(Mesh3ds, CountWithTheTopBitSetIsLargeNotNegative)
{
    chunk3dsWriter_T w;
    chunk3ds_open(&w, CHUNK3DS_MAIN);
    chunk3ds_open(&w, CHUNK3DS_EDITOR);
    chunk3ds_open(&w, CHUNK3DS_OBJECT);
    chunk3ds_name(&w, "neg");
    chunk3ds_open(&w, CHUNK3DS_TRIMESH);
    chunk3ds_open(&w, CHUNK3DS_VERTICES);
    chunk3ds_u16(&w, 0x8000);
    chunk3ds_close(&w);
    chunk3ds_faceList(&w, nullptr, 0);
    while (!w.open.empty())
        chunk3ds_close(&w);
    EXPECT_EQ(loadBytes(w.bytes), nullptr);
}

// An outside model of 48 000 faces: both counts read whole.
TEST(Mesh3ds, FacesBeyond32767AreRead)
{
    objectDesc_T big{"big", {}, {}, false};
    const int vertices = 24002, faces = 48000;
    for (int i = 0; i < vertices; i++) {
        big.xyz.push_back(float(i % 200));
        big.xyz.push_back(float(i / 200));
        big.xyz.push_back(0);
    }
    for (int i = 0; i < faces; i++) {
        big.abc.push_back(uint16_t(i % 24000));
        big.abc.push_back(uint16_t((i + 1) % 24000));
        big.abc.push_back(uint16_t((i + 200) % 24000));
    }
    mesh3ds_T* mesh = loadBytes(encodeObjects({big}));
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, vertices);
    EXPECT_EQ(mesh->faceCount, faces);
    EXPECT_EQ(mesh->faces[faces - 1][2], (faces - 1 + 200) % 24000);
    EXPECT_GE(mesh->faceCapacity, faces);
    free3ds(mesh);
}

TEST(Mesh3ds, MissingFileGivesNull)
{
    EXPECT_EQ(load3ds("no\\such\\mesh.3ds"), nullptr);
}

TEST(Mesh3ds, ChunkLengthBelowHeaderSizeEndsTheSearch)
{
    for (uint32_t length : {0u, 1u, 5u}) {
        // A chunk the search must step over, with a length that would keep
        // it in place or move it backwards.
        std::vector<uint8_t> bytes = mesh3ds_encode("tri", kTriangle, 3, kTriangleFace, 1);
        const size_t at = 6 + 10;   // after the main header and the version chunk
        const uint8_t bad[6] = {0x34, 0x12, uint8_t(length), uint8_t(length >> 8), 0, 0};
        bytes.insert(bytes.begin() + at, bad, bad + 6);
        EXPECT_EQ(loadBytes(bytes), nullptr) << length;
    }
}

TEST(Mesh3ds, CountBeyondItsChunkIsRejected)
{
    const struct {
        uint16_t id;
        uint16_t count;
    } cases[] = {{CHUNK3DS_VERTICES, 4}, {CHUNK3DS_VERTICES, 1000}, {CHUNK3DS_FACES, 2}, {CHUNK3DS_FACES, 0x7FFF}};
    for (const auto& c : cases) {
        // The lists hold 3 vertices and 1 face, followed by a large chunk
        // that an overlong count would read into.
        chunk3dsWriter_T w;
        chunk3ds_open(&w, CHUNK3DS_MAIN);
        chunk3ds_open(&w, CHUNK3DS_EDITOR);
        chunk3ds_open(&w, CHUNK3DS_OBJECT);
        chunk3ds_name(&w, "overlong");
        chunk3ds_open(&w, CHUNK3DS_TRIMESH);
        chunk3ds_open(&w, CHUNK3DS_VERTICES);
        chunk3ds_u16(&w, c.id == CHUNK3DS_VERTICES ? c.count : 3);
        for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f})
            chunk3ds_f32(&w, v);
        chunk3ds_close(&w);
        chunk3ds_open(&w, CHUNK3DS_FACES);
        chunk3ds_u16(&w, c.id == CHUNK3DS_FACES ? c.count : 1);
        for (uint16_t v : {0, 1, 2, 0})
            chunk3ds_u16(&w, v);
        chunk3ds_close(&w);
        chunk3ds_open(&w, 0x4160);
        for (int i = 0; i < 20000; i++)
            chunk3ds_u16(&w, 0);
        while (!w.open.empty())
            chunk3ds_close(&w);
        EXPECT_EQ(loadBytes(w.bytes), nullptr) << std::hex << c.id << " " << std::dec << c.count;
    }
}

TEST(Mesh3ds, EveryTruncationOfAFileIsRejected)
{
    const std::vector<uint8_t> whole = mesh3ds_encode("pyramid", kPyramid, 5, kPyramidFaces, 6);
    for (size_t size = 0; size < whole.size(); size++) {
        mesh3ds_T* mesh = loadBytes(std::vector<uint8_t>(whole.begin(), whole.begin() + size));
        EXPECT_EQ(mesh, nullptr) << size;
        free3ds(mesh);
    }
}

TEST(Mesh3ds, FaceIndexOutsideTheVerticesIsRejected)
{
    for (uint16_t index : {uint16_t(3), uint16_t(4), uint16_t(0xFFFF)}) {
        const uint16_t face[1][3] = {{0, index, 2}};
        EXPECT_EQ(loadBytes(mesh3ds_encode("bad", kTriangle, 3, face, 1)), nullptr) << index;
    }
}

TEST(Mesh3ds, NonFiniteCoordinateIsRejected)
{
    const float bad[3][3] = {{0, 0, 0}, {NAN, 0, 0}, {0, INFINITY, 0}};
    EXPECT_EQ(loadBytes(mesh3ds_encode("nan", bad, 3, kTriangleFace, 1)), nullptr);
}

TEST(Mesh3ds, DegenerateFaceLeavesNormalsFinite)
{
    // Face 1 has two equal corners (no area); vertex 4 belongs to that face
    // only and vertex 5 to no face at all.
    const float xyz[6][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 2, 2}, {2, 2, 2}, {9, 9, 9}};
    const uint16_t faces[2][3] = {{0, 1, 2}, {3, 4, 3}};
    mesh3ds_T* mesh = loadBytes(mesh3ds_encode("flat", xyz, 6, faces, 2));
    ASSERT_NE(mesh, nullptr);
    expectVec(mesh->faceNormals[0], 0, 0, 1, 0.0f);
    expectVec(mesh->faceNormals[1], 0, 0, 0, 0.0f);
    for (int i = 0; i < 6; i++) {
        const vec4_T& n = mesh->vertexNormals[i];
        EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << i;
    }
    expectVec(mesh->vertexNormals[0], 0, 0, 1, 0.0f);
    expectVec(mesh->vertexNormals[4], 0, 0, 0, 0.0f);
    expectVec(mesh->vertexNormals[5], 0, 0, 0, 0.0f);
    free3ds(mesh);
}
