#pragma once
// The order list of S3M and IT files: a byte a position, 254 a position to
// skip, 255 the end of a song. The orders after an end marker hold further
// songs (subsongs), so the list is kept up to its last pattern order; skip
// and end markers stay, so that jumps count positions as the file does.
#include <cstdint>
#include <vector>

// Appends the positions in the module's form (MP_ORDER_SKIP, MP_ORDER_END)
// to `orders` and says the highest pattern they name in *highest. False
// when no position names a pattern.
bool mp_readOrderList(const uint8_t* list, uint32_t count, std::vector<uint16_t>* orders, uint32_t* highest);
