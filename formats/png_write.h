#pragma once
// PNG pictures through libpng, 8-bit RGB, compressed: frames and diagnostic
// pictures for people to look at.
#include <cstdint>

int png_writeRgb(const char* path, const uint8_t* rgb, int width, int height);   // 0 or -1
// A 16-bit display picture (5-6-5 or 5-5-5) with each channel widened to 8 bits.
int png_write16(const char* path, const uint16_t* pixels, int pitch, int width, int height, int format555);
// The same widening into width x height x 3 bytes of RGB, for any other output.
void png_widen16(const uint16_t* pixels, int pitch, int width, int height, int format555, uint8_t* rgb);
