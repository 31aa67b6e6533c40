#pragma once
// The single log: a ring of console lines, drawn over the picture with a
// built-in 5 x 7 font when the console is on. Engine thread only.
#include <cstdint>

extern uint8_t consoleOn;
extern int32_t conLineCount;
extern int32_t conFirst;
extern int32_t conNext;
extern uint8_t conWrapped;
extern char conLines[100][100];

void con_init();
int con_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void con_printAt(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
void con_printAt3dfx(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
void con_render();

// Every logged line is also handed to this hook (the offline renderer can
// print the log); null by default.
void con_setEcho(void (*echo)(const char* line));
