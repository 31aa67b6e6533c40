#pragma once
// PNG pictures read through libpng into 8-bit RGB, whatever their own
// layout (palette, grey, alpha and 16-bit channels are converted).
#include <cstdint>
#include <string>
#include <vector>

// 0 with rgb holding width x height x 3 bytes, or -1 (no file, not a PNG,
// a damaged one); error says why.
int png_readRgb(const char* path, std::vector<uint8_t>* rgb, int* width, int* height, std::string* error);
