#pragma once
// The device behind kb_init/kb_poll: fed by the main thread's key and focus
// events, read by the engine thread.
#include <cstdint>

enum { KBDEV_OK = 0, KBDEV_INPUTLOST = 1, KBDEV_NOTACQUIRED = 2 };

void kbdev_reset();                          // all keys up, foreground, not acquired
void kbdev_key(int scan, int down);          // main thread
void kbdev_focus(int foreground);            // main thread
int kbdev_acquire();                         // 0 ok, -1 refused (not foreground)
int kbdev_read(uint8_t state[256]);          // KBDEV_*
int kbdev_isForeground();
