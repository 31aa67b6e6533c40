#pragma once
// The log console: the log ring (platform/log.h) drawn over the picture with
// a built-in 5 x 7 font when the console is on. Engine thread only.
#include <cstdint>

#include "platform/log.h"

extern uint8_t consoleOn;

void con_printAt(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
void con_printAt3dfx(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
void con_render();
