#pragma once
// The text screens draw every live particle as one of a ring of small
// additive sprites, its top-left corner at the particle's position.
#include <cstdint>

struct gbuffer_T;
struct particleSystem_T;

// For each live particle in order: advance *spriteCounter (0 .. spriteCount-1,
// wrapping) and add that sprite into dst at (column, row) = the particle's
// position truncated toward zero, clipped to dst.
void particles_drawSprites(const particleSystem_T* ps, const gbuffer_T* sprites, int spriteCount,
                           int* spriteCounter, gbuffer_T* dst);
