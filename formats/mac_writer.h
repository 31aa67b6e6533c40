#pragma once
// The inverse of mac_load: the bytes of a MAC file holding these records as
// they are (the loader's sort and texture pairing happen on reading).
#include <cstdint>
#include <vector>

#include "formats/mac.h"

std::vector<uint8_t> mac_encode(int32_t vertexCount, int32_t triangleCount, const meshVertex_T* vertices,
                                const meshTriangle_T* triangles, const vec4_T* normals);
