// The 3DS mesh reader on any bytes.
#include "formats/mesh3ds.h"
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.3ds", data, size);
    mesh3ds_T* mesh = load3ds(path.c_str());
    if (!mesh)
        return 0;
    // The scene indexes the vertices with what the reader accepted.
    for (int f = 0; f < mesh->faceCount; f++)
        for (int k = 0; k < 3; k++)
            if (mesh->faces[f][k] >= mesh->vertexCount)
                __builtin_trap();
    free3ds(mesh);
    return 0;
}
