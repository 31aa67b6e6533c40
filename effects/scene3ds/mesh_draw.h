#pragma once
// Draws a mesh's sorted, projected faces (projectAndSort) into the locked
// 16-bit surface with the filler its draw options' mode selects.
#include <cstdint>

struct mesh3ds_T;

// Faces drawOrder[0 .. visibleCount - 1], far to near; returns 1. A mesh
// without draw options draws nothing.
int drawMesh(const mesh3ds_T* mesh, uint16_t* surface);
