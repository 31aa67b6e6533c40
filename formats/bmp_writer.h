#pragma once
// The inverse of loadBmp24: an uncompressed 24-bit BMP with the usual 54-byte
// headers, rows bottom-up, each padded with zeros to a multiple of 4 bytes.
#include <cstdint>
#include <vector>

#include "formats/bmp.h"

std::vector<uint8_t> bmp_encode24(const image24_T* image);
// Writes the encoded picture to a host path; 0 or -1.
int bmp_save24(const char* hostPath, const image24_T* image);
