// The MAC mesh reader on any bytes.
#include "formats/mac.h"
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.mac", data, size);
    int32_t vertexCount, triangleCount;
    meshVertex_T* vertices;
    meshTriangle_T* triangles;
    vec4_T* normals;
    if (mac_load(path.c_str(), &vertexCount, &triangleCount, &vertices, &triangles, &normals) != 0)
        return 0;
    // The renderer indexes the vertices with what the loader accepted.
    for (int32_t i = 0; i < triangleCount; i++)
        for (int k = 0; k < 3; k++)
            if (triangles[i].vertex[k] < 0 || triangles[i].vertex[k] >= vertexCount)
                __builtin_trap();
    delete[] vertices;
    delete[] triangles;
    delete[] normals;
    return 0;
}
