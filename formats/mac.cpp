#include "formats/mac.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/crand.h"
#include "platform/files.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "MAC records are read raw, little-endian");

namespace {

constexpr long VERTEX_BYTES = sizeof(meshVertex_T);
constexpr long TRIANGLE_BYTES = sizeof(meshTriangle_T) + sizeof(vec4_T);   // record + its normal

struct macLoad_T {
    FILE* file = nullptr;
    meshVertex_T* vertices = nullptr;
    meshTriangle_T* triangles = nullptr;
    vec4_T* normals = nullptr;

    ~macLoad_T()
    {
        if (file)
            std::fclose(file);
        delete[] vertices;
        delete[] triangles;
        delete[] normals;
    }
};

int fail(const char* format, const char* fileName)
{
    std::fprintf(stderr, format, fileName);
    std::fprintf(stderr, "\n");
    return -1;
}

// Sort key of a triangle: its lowest y, then its lowest x, then the sum of
// its x. Triangles equal in all three are unordered.
struct triKey_T {
    float minY, minX, sumX;
};

triKey_T triangleKey(const meshTriangle_T& t, const meshVertex_T* v)
{
    const meshVertex_T& a = v[t.vertex[0]];
    const meshVertex_T& b = v[t.vertex[1]];
    const meshVertex_T& c = v[t.vertex[2]];
    return {std::min(std::min(a.y, b.y), c.y), std::min(std::min(a.x, b.x), c.x), a.x + b.x + c.x};
}

bool keyBefore(const triKey_T& a, const triKey_T& b)
{
    if (a.minY != b.minY)
        return a.minY < b.minY;
    if (a.minX != b.minX)
        return a.minX < b.minX;
    return a.sumX < b.sumX;
}

void sortTriangles(meshTriangle_T* triangles, int32_t count, const meshVertex_T* vertices)
{
    std::vector<triKey_T> keys(count);
    std::vector<int32_t> order(count);
    for (int32_t i = 0; i < count; i++) {
        keys[i] = triangleKey(triangles[i], vertices);
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return keyBefore(keys[a], keys[b]); });
    std::vector<meshTriangle_T> sorted(count);
    for (int32_t i = 0; i < count; i++)
        sorted[i] = triangles[order[i]];
    std::copy(sorted.begin(), sorted.end(), triangles);
}

// Every pair of consecutive triangles maps one texture onto a quad split
// along its diagonal; an odd last triangle is set alone.
void pairTextures(meshTriangle_T* triangles, int32_t count)
{
    static const float firstUv[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    static const float secondUv[3][2] = {{1, 1}, {0, 1}, {0, 0}};
    for (int32_t i = 0; i < count; i += 2) {
        int32_t texture = crt_rand() & 7;
        triangles[i].texture = texture;
        std::memcpy(triangles[i].uv, firstUv, sizeof firstUv);
        if (i + 1 < count) {
            triangles[i + 1].texture = texture;
            std::memcpy(triangles[i + 1].uv, secondUv, sizeof secondUv);
        }
    }
}

bool indicesValid(const meshTriangle_T* triangles, int32_t count, int32_t vertexCount)
{
    for (int32_t i = 0; i < count; i++)
        for (int k = 0; k < 3; k++)
            if (triangles[i].vertex[k] < 0 || triangles[i].vertex[k] >= vertexCount)
                return false;
    return true;
}

}

int mac_load(const char* fileName, int32_t* vertexCount, int32_t* triangleCount, meshVertex_T** vertices,
             meshTriangle_T** triangles, vec4_T** normals)
{
    *vertexCount = 0;
    *triangleCount = 0;
    *vertices = nullptr;
    *triangles = nullptr;
    *normals = nullptr;

    macLoad_T load;
    load.file = pf_fopen(fileName, "rb");
    if (!load.file)
        return fail("Fichero %s no se pudo abrir", fileName);
    FILE* f = load.file;

    std::printf("\nLeyendo codigo magico...");
    char magic[8];
    if (std::fread(magic, 1, 8, f) != 8)
        return fail("Error al leer en %s", fileName);
    if (std::memcmp(magic, MAC_MAGIC, 8) != 0)
        return fail("El fichero %s no es formato MAC", fileName);

    int32_t v = 0, t = 0;
    std::printf("\nLeyendo numero de vertices...");
    if (std::fread(&v, 4, 1, f) != 1)
        return fail("Error al leer de %s", fileName);
    std::printf("\nLeyendo numero de triangulos...");
    if (std::fread(&t, 4, 1, f) != 1)
        return fail("Error al leer en %s", fileName);
    // Counts the file cannot hold (negative, or more records than bytes) are
    // refused before anything is allocated for them.
    long left = pf_fileBytesLeft(f);
    if (v < 0 || t < 0 || left < 0 || (long long)v * VERTEX_BYTES + (long long)t * TRIANGLE_BYTES > left)
        return fail("Error al leer en %s", fileName);

    load.vertices = new meshVertex_T[v];
    std::printf("\nLeyendo vertices...");
    if (std::fread(load.vertices, sizeof(meshVertex_T), v, f) != (size_t)v)
        return fail("Error al leer en %s", fileName);

    load.triangles = new meshTriangle_T[t];
    std::printf("\nLeyendo triangulos...");
    if (std::fread(load.triangles, sizeof(meshTriangle_T), t, f) != (size_t)t)
        return fail("Error al leer en %s", fileName);
    // The sort and the renderer index the vertex array with these.
    if (!indicesValid(load.triangles, t, v))
        return fail("Indice de vertice fuera de rango en %s", fileName);

    sortTriangles(load.triangles, t, load.vertices);
    pairTextures(load.triangles, t);

    // Read in file order after the sort: normal i need not belong to sorted
    // triangle i. The scene recomputes every triangle normal anyway.
    load.normals = new vec4_T[t];
    std::printf("\nLeyendo normales de triangulos...");
    if (std::fread(load.normals, sizeof(vec4_T), t, f) != (size_t)t)
        return fail("Error al leer en %s", fileName);

    std::printf("\nFichero %s leido correctamente...", fileName);
    *vertexCount = v;
    *triangleCount = t;
    *vertices = load.vertices;
    *triangles = load.triangles;
    *normals = load.normals;
    load.vertices = nullptr;
    load.triangles = nullptr;
    load.normals = nullptr;
    return 0;
}
