#pragma once
// A small PNG writer (8-bit RGB, stored deflate blocks, no compression):
// frames and diagnostic pictures for people to look at.
#include <cstdint>

int png_writeRgb(const char* path, const uint8_t* rgb, int width, int height);   // 0 or -1
// A 16-bit display picture (5-6-5 or 5-5-5) with each channel widened to 8 bits.
int png_write16(const char* path, const uint16_t* pixels, int pitch, int width, int height, int format555);
