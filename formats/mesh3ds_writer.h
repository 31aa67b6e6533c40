#pragma once
// Writing 3DS files, the inverse of load3ds: the data generator writes the
// scene's meshes with it, and the tests build odd files chunk by chunk.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/mesh3ds_chunks.h"

// A file being written: its bytes and the start of every chunk still open.
struct chunk3dsWriter_T {
    std::vector<uint8_t> bytes;
    std::vector<size_t> open;
};

// Starts a chunk; its length is filled in when it is closed.
void chunk3ds_open(chunk3dsWriter_T* w, uint16_t id);
// Closes the innermost open chunk.
void chunk3ds_close(chunk3dsWriter_T* w);
void chunk3ds_u16(chunk3dsWriter_T* w, uint16_t value);
void chunk3ds_u32(chunk3dsWriter_T* w, uint32_t value);
void chunk3ds_f32(chunk3dsWriter_T* w, float value);
void chunk3ds_name(chunk3dsWriter_T* w, const char* name);   // with its NUL
// A complete vertex list (count x, y, z) or face list (count a, b, c; flags 0).
void chunk3ds_vertexList(chunk3dsWriter_T* w, const float (*xyz)[3], int count);
void chunk3ds_faceList(chunk3dsWriter_T* w, const uint16_t (*abc)[3], int count);

// One named triangle mesh as a whole file: main > version, editor > mesh
// version, object > triangle mesh > vertices, faces. Counts up to 32 767.
std::vector<uint8_t> mesh3ds_encode(const char* name, const float (*xyz)[3], int vertexCount,
                                    const uint16_t (*abc)[3], int faceCount);
