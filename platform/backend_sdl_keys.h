#pragma once
#include <SDL.h>

// 0 for keys the device does not know.
int pf_sdlToScanCode(SDL_Scancode sc);
