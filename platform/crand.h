#pragma once
// The C runtime's pseudo-random generator, reproduced exactly: the sand
// effect, the star field, the particles and the text screens depend on the
// very sequence, and the host C library's rand() differs.
//   state = state * 214013 + 2531011 (mod 2^32), result = (state >> 16) & 0x7FFF
// One state per thread, starting at 1, as the runtime keeps it.
#include <cstdint>

constexpr int CRT_RAND_MAX = 0x7FFF;

int crt_rand();
void crt_srand(uint32_t seed);
