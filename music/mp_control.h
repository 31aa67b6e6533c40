#pragma once
// What a module player program needs beyond the demo's calls: where a
// playing module is, how loud its channels are, and moving it, ending it
// and turning it down. Each takes the player's critical section and returns
// 1, or 0 with mp_lastError set (a handle that plays nothing: code 47).
#include "music/mp_module.h"

struct mpStatus_T {
    int position, pattern, row;         // the next row to be read
    int speed, tempo;
    int loopCount;                      // times the song has wrapped
    int ended;                          // the last row has played out
    int numChannels;
    int levels[MP_MAX_CHANNELS];        // 0..64 per module channel, 0 when muted
};

int mp_getStatus(int handle, mpStatus_T* status);
// The play ends at the end of the last row of pass `loops` (0: never).
int mp_setEndLoop(int handle, int loops);
// Moves play to the start of an order position.
int mp_setPosition(int handle, int position);
// Output volume of everything the player mixes, 0..64.
int mp_setVolume(int volume);
// Silences module channel `channel` (0-based) or lets it be heard again;
// the notes go on underneath, so unmuting is heard at once.
int mp_muteChannel(int handle, int channel, int mute);
// Runs the song forward by `seconds` of its own time, tick by tick, without
// mixing: every command takes effect as in play (tempo, jumps, loops), and
// the notes playing then are heard from where their samples start. Stops
// early at the song's end; *skipped is the song time passed.
int mp_skip(int handle, double seconds, double* skipped);
