#include "formats/mesh3ds_writer.h"

#include <cstring>

namespace {

// The 3DS version the header chunks claim.
const uint32_t CHUNK3DS_FORMAT_VERSION = 3;

void chunk3ds_patchU32(std::vector<uint8_t>* bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}

void chunk3ds_open(chunk3dsWriter_T* w, uint16_t id)
{
    w->open.push_back(w->bytes.size());
    chunk3ds_u16(w, id);
    chunk3ds_u32(w, 0);
}

void chunk3ds_close(chunk3dsWriter_T* w)
{
    const size_t start = w->open.back();
    w->open.pop_back();
    chunk3ds_patchU32(&w->bytes, start + 2, static_cast<uint32_t>(w->bytes.size() - start));
}

void chunk3ds_u16(chunk3dsWriter_T* w, uint16_t value)
{
    w->bytes.push_back(static_cast<uint8_t>(value));
    w->bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void chunk3ds_u32(chunk3dsWriter_T* w, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        w->bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void chunk3ds_f32(chunk3dsWriter_T* w, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    chunk3ds_u32(w, bits);
}

void chunk3ds_name(chunk3dsWriter_T* w, const char* name)
{
    w->bytes.insert(w->bytes.end(), name, name + std::strlen(name) + 1);
}

void chunk3ds_vertexList(chunk3dsWriter_T* w, const float (*xyz)[3], int count)
{
    chunk3ds_open(w, CHUNK3DS_VERTICES);
    chunk3ds_u16(w, static_cast<uint16_t>(count));
    for (int i = 0; i < count; i++)
        for (int k = 0; k < 3; k++)
            chunk3ds_f32(w, xyz[i][k]);
    chunk3ds_close(w);
}

void chunk3ds_faceList(chunk3dsWriter_T* w, const uint16_t (*abc)[3], int count)
{
    chunk3ds_open(w, CHUNK3DS_FACES);
    chunk3ds_u16(w, static_cast<uint16_t>(count));
    for (int i = 0; i < count; i++) {
        for (int k = 0; k < 3; k++)
            chunk3ds_u16(w, abc[i][k]);
        chunk3ds_u16(w, 0);
    }
    chunk3ds_close(w);
}

std::vector<uint8_t> mesh3ds_encode(const char* name, const float (*xyz)[3], int vertexCount,
                                    const uint16_t (*abc)[3], int faceCount)
{
    chunk3dsWriter_T w;
    chunk3ds_open(&w, CHUNK3DS_MAIN);
    chunk3ds_open(&w, CHUNK3DS_VERSION);
    chunk3ds_u32(&w, CHUNK3DS_FORMAT_VERSION);
    chunk3ds_close(&w);
    chunk3ds_open(&w, CHUNK3DS_EDITOR);
    chunk3ds_open(&w, CHUNK3DS_MESH_VERSION);
    chunk3ds_u32(&w, CHUNK3DS_FORMAT_VERSION);
    chunk3ds_close(&w);
    chunk3ds_open(&w, CHUNK3DS_OBJECT);
    chunk3ds_name(&w, name);
    chunk3ds_open(&w, CHUNK3DS_TRIMESH);
    chunk3ds_vertexList(&w, xyz, vertexCount);
    chunk3ds_faceList(&w, abc, faceCount);
    chunk3ds_close(&w);   // triangle mesh
    chunk3ds_close(&w);   // object
    chunk3ds_close(&w);   // editor
    chunk3ds_close(&w);   // main
    return w.bytes;
}
