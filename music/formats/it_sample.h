#pragma once
// Compressed IT sample data (Impulse Tracker 2.14, and 2.15's second-order
// form): blocks of a 16-bit byte count and a bit stream of values whose
// width changes as the stream says, each block decoding at most 32768 bytes
// of sample data with its sums starting from 0.
#include <cstddef>
#include <cstdint>

// Decodes `frames` sample frames (int8_t or int16_t, native order) from
// src into out. Returns the frames decoded: fewer when the data ends first,
// a block claims more bytes than remain, or the stream is malformed; the
// rest of out is left as zeros. *consumed gets the bytes of src used.
uint32_t itsmp_decompress(const uint8_t* src, size_t size, void* out, uint32_t frames, bool is16, bool it215,
                          size_t* consumed);
