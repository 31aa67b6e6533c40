#include "formats/mac_writer.h"

#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "MAC records are written raw, little-endian");

static void append(std::vector<uint8_t>& out, const void* data, size_t bytes)
{
    const uint8_t* p = (const uint8_t*)data;
    out.insert(out.end(), p, p + bytes);
}

std::vector<uint8_t> mac_encode(int32_t vertexCount, int32_t triangleCount, const meshVertex_T* vertices,
                                const meshTriangle_T* triangles, const vec4_T* normals)
{
    std::vector<uint8_t> out;
    out.reserve(MAC_HEADER_BYTES + (size_t)vertexCount * sizeof(meshVertex_T)
                + (size_t)triangleCount * (sizeof(meshTriangle_T) + sizeof(vec4_T)));
    append(out, MAC_MAGIC, sizeof MAC_MAGIC);
    append(out, &vertexCount, 4);
    append(out, &triangleCount, 4);
    append(out, vertices, (size_t)vertexCount * sizeof(meshVertex_T));
    append(out, triangles, (size_t)triangleCount * sizeof(meshTriangle_T));
    append(out, normals, (size_t)triangleCount * sizeof(vec4_T));
    return out;
}
