// The 3DS reader: only the first named object's vertex and face lists.
//
// A 3DS file is a tree of chunks, each a 6-byte header (16-bit id, 32-bit
// length counting the header, the chunk's own data and its sub-chunks, both
// little-endian) followed by its data and then its sub-chunks. The reader
// searches forward in file order: a chunk that is not the one sought is
// skipped with everything inside it, and the search may run on past the end
// of the enclosing chunk.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "formats/mesh3ds.h"
#include "formats/mesh3ds_chunks.h"
#include "platform/files.h"

namespace {

int m3ds_readU16(FILE* f, uint16_t* value)
{
    uint8_t b[2];
    if (std::fread(b, 1, 2, f) != 2)
        return -1;
    *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return 0;
}

int m3ds_readU32(FILE* f, uint32_t* value)
{
    uint8_t b[4];
    if (std::fread(b, 1, 4, f) != 4)
        return -1;
    *value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return 0;
}

int m3ds_readF32(FILE* f, float* value)
{
    uint32_t bits;
    if (m3ds_readU32(f, &bits))
        return -1;
    std::memcpy(value, &bits, 4);
    return 0;
}

// Finds the next chunk with this id from the current position on and leaves
// the position at its first data byte; its length goes to *length. A length
// below the header's own size would step backward or stand still, so it ends
// the search as a failure.
int m3ds_findChunk(FILE* f, uint16_t id, uint32_t* length)
{
    for (;;) {
        uint16_t chunkId;
        uint32_t chunkLength;
        if (m3ds_readU16(f, &chunkId) || m3ds_readU32(f, &chunkLength))
            return -1;
        if (chunkLength < CHUNK3DS_HEADER_BYTES)
            return -1;
        if (chunkId == id) {
            *length = chunkLength;
            return 0;
        }
        if (std::fseek(f, static_cast<long>(chunkLength - CHUNK3DS_HEADER_BYTES), SEEK_CUR))
            return -1;
    }
}

// The object name: bytes up to and including the NUL, at most 32 of them.
int m3ds_readName(FILE* f, char* name)
{
    for (int i = 0; i < MESH3DS_NAME_BYTES; i++) {
        const int c = std::fgetc(f);
        if (c == EOF)
            return -1;
        name[i] = static_cast<char>(c);
        if (c == 0)
            return 0;
    }
    return -1;   // 32 bytes without a NUL: names have at most 31 characters
}

// A list chunk holds an unsigned 16-bit count and count entries of
// entryBytes; a count the chunk cannot hold is a broken file, not a reason
// to read its neighbours.
int m3ds_readCount(FILE* f, uint32_t chunkLength, uint32_t entryBytes, uint16_t* count)
{
    const uint32_t dataBytes = chunkLength - CHUNK3DS_HEADER_BYTES;
    if (dataBytes < 2 || m3ds_readU16(f, count))
        return -1;
    if (2 + static_cast<uint32_t>(*count) * entryBytes > dataBytes)
        return -1;
    return 0;
}

int m3ds_readVertices(FILE* f, mesh3ds_T* mesh)
{
    uint32_t length;
    uint16_t count;
    if (m3ds_findChunk(f, CHUNK3DS_VERTICES, &length) || m3ds_readCount(f, length, 12, &count))
        return -1;
    for (int i = 0; i < count; i++) {
        float x, y, z;
        if (m3ds_readF32(f, &x) || m3ds_readF32(f, &y) || m3ds_readF32(f, &z))
            return -1;
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
            return -1;
        if (mesh3ds_addVertex(mesh, vec4_T(x, y, z, 1.0f), vec4_T(0.0f, 0.0f, 0.0f, 1.0f)))
            return -1;
    }
    return 0;
}

int m3ds_readFaces(FILE* f, mesh3ds_T* mesh)
{
    uint32_t length;
    uint16_t count;
    if (m3ds_findChunk(f, CHUNK3DS_FACES, &length) || m3ds_readCount(f, length, 8, &count))
        return -1;
    for (int i = 0; i < count; i++) {
        uint16_t a, b, c, flags;
        if (m3ds_readU16(f, &a) || m3ds_readU16(f, &b) || m3ds_readU16(f, &c) || m3ds_readU16(f, &flags))
            return -1;
        if (mesh3ds_addFace(mesh, a, b, c, vec4_T(0.0f, 0.0f, 0.0f, 1.0f)))
            return -1;
    }
    return 0;
}

int m3ds_read(FILE* f, mesh3ds_T* mesh)
{
    uint32_t length;
    if (m3ds_findChunk(f, CHUNK3DS_OBJECT, &length) || m3ds_readName(f, mesh->name))
        return -1;
    if (m3ds_findChunk(f, CHUNK3DS_TRIMESH, &length))
        return -1;
    if (m3ds_readVertices(f, mesh) || m3ds_readFaces(f, mesh))
        return -1;
    // Faces naming vertices that do not exist are refused here.
    return mesh3ds_finish(mesh);
}

}

mesh3ds_T* load3ds(const char* path)
{
    FILE* f = pf_fopen(path, "rb");
    if (!f)
        return nullptr;
    uint32_t length;
    mesh3ds_T* mesh = nullptr;
    if (!m3ds_findChunk(f, CHUNK3DS_MAIN, &length) && !m3ds_findChunk(f, CHUNK3DS_EDITOR, &length))
        mesh = mesh3ds_create();
    if (mesh && m3ds_read(f, mesh)) {
        free3ds(mesh);
        mesh = nullptr;
    }
    std::fclose(f);
    return mesh;
}
