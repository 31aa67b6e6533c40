#pragma once
// Numbers as the module files store them: S3M, XM and IT little-endian,
// MOD's words big-endian. The caller has checked that the bytes are there.
#include <cstdint>

inline uint32_t mp_le16(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }
inline uint32_t mp_le32(const uint8_t* p) { return mp_le16(p) | mp_le16(p + 2) << 16; }
inline uint32_t mp_be16(const uint8_t* p) { return (uint32_t)p[0] << 8 | p[1]; }
