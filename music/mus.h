#pragma once
// The demo's four music calls, made by the window procedure on the main thread.
struct mpModule_T;
int mus_init();                          // 0, or -1 when the player cannot start
mpModule_T* mus_load(const char* fileName);
int mus_play(mpModule_T* module);
int mus_stop();
