#pragma once
// The SDL2 backend: a real window (a resizable whole multiple of 320 x 240, or
// the desktop in full screen; either way the picture scaled up, aspect kept,
// by whole pixels and one smooth step: sharp_scale.h), the real keyboard and
// the real audio device.
#include "platform/backend.h"

// Its openWindow fails when SDL cannot open a display here.
const pfBackend_T* pf_sdlBackend();

// Null when a window can be shown here, else why not. SDL falls back to
// drivers that draw into memory (offscreen) when there is no display: those
// count as none, unless SDL_VIDEODRIVER asked for them.
const char* pf_sdlNoDisplay();
