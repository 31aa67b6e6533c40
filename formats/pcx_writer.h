#pragma once
// Writes PCX pictures (version 5, run-length encoded) that the reader of
// pcx.h reads back exactly: 8-bit indices with a 256-colour palette at the
// end, or 24-bit colour as three 8-bit planes per line. Lines are padded to
// an even length (bytes-per-line says so) and runs stop at line ends.
#include <cstdint>
#include <vector>

// indices: width x height bytes, rows top first; palette: 256 x (r, g, b).
std::vector<uint8_t> pcx_encode8(const uint8_t* indices, int width, int height, const uint8_t* palette);

// pixels: width x height values 0x00RRGGBB, rows top first.
std::vector<uint8_t> pcx_encode24(const uint32_t* pixels, int width, int height);
