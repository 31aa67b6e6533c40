#pragma once
// Off-screen display surfaces for pictures the effects blit themselves
// (the title pictures). Need initPixelTables first. Engine thread only.
#include "platform/display.h"

// A surface of the given size, or null when the display cannot make one.
ddSurface_T* createOffscreenSurface(int32_t width, int32_t height);
// A surface holding the picture of a 24-bit BMP in the display format, or
// null when the file cannot be read or no surface can be made.
ddSurface_T* loadBmpSurface(const char* path);
// Fills the whole surface with colour 0; 0 or -1.
int clearSurface(ddSurface_T* surface);
