#pragma once
// The console's built-in 5 x 7 font: 48 glyphs, 7 rows each, bit 4 of a row
// is its leftmost column.
#include <cstdint>

extern const char conCharset[49];
extern const uint8_t conFont[48][7];
