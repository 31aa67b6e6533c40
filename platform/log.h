#pragma once
// The process's single log: a ring of lines, as many as the screen has text
// rows of 8 pixels (at most 100). Anything at any layer may log; the engine's
// console draws the ring over the picture. Engine thread only.
#include <cstdint>

extern int32_t conLineCount;
extern int32_t conFirst;
extern int32_t conNext;
extern uint8_t conWrapped;
extern char conLines[100][100];

void con_init();
int con_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Every logged line is also handed to this hook (the offline renderer can
// print the log); null by default.
void con_setEcho(void (*echo)(const char* line));
