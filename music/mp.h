#pragma once
// The music player's public operations. Each returns 1 on success and 0 on
// failure with the code in mp_lastError (mp_errors.h), unless noted.
#include "music/mp_errors.h"
#include "music/mp_module.h"
#include "music/mp_settings.h"

enum { MP_MAX_PLAYING = 16 };

int mp_startup();                       // defaults; always 1
int mp_init();                          // picks and opens the sound device
int mp_startBackgroundPlay(int rate);   // player thread polling every 1000 / rate / 2 ms (20 ms for 0)
int mp_poll();                          // one polling pass
int mp_playModule(mpModule_T* module, int loop);   // slot + 1, or 0
int mp_stopModule(int handle);
int mp_stopBackgroundPlay();
int mp_close();

// The device chosen by mp_init ("Windows Wave Sound Device 1.11" or
// "Mixing No Sound Sound Device"), or null before.
const char* mp_deviceName();
// 1 when the device chosen by mp_init is the silent one (nothing is heard).
int mp_deviceIsSilent();
