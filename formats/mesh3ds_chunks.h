#pragma once
// Chunk ids and sizes of the 3DS format that the reader and the writer share.
#include <cstdint>

enum : uint16_t {
    CHUNK3DS_VERSION = 0x0002,        // file version (skipped by the reader)
    CHUNK3DS_MAIN = 0x4D4D,           // whole file, entered
    CHUNK3DS_EDITOR = 0x3D3D,         // 3D editor data, entered
    CHUNK3DS_MESH_VERSION = 0x3D3E,   // editor version (skipped)
    CHUNK3DS_OBJECT = 0x4000,         // NUL-terminated name, then entered
    CHUNK3DS_TRIMESH = 0x4100,        // triangle mesh, entered
    CHUNK3DS_VERTICES = 0x4110,       // 16-bit count, count x (x, y, z) floats
    CHUNK3DS_FACES = 0x4120,          // 16-bit count, count x (a, b, c, flags)
};

// id (16 bits) and length (32 bits, counting the header and all it holds)
constexpr uint32_t CHUNK3DS_HEADER_BYTES = 6;
