#pragma once
// The keyboard as a device: 256 bytes of state in DirectInput scan codes,
// high bit set while a key is down, lost when the window loses the
// foreground and re-acquired on a later poll. Engine thread only.
#include <cstdint>

extern uint8_t kbReady;
extern uint8_t kbStateValid;
extern uint8_t kbState[256];
extern const uint8_t kbKeyMap[25];

enum { KB_KEY_SPACE = 19 };

int kb_init();
int kb_poll();
int kb_keyDown(int number);
