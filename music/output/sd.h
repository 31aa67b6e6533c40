#pragma once
// Sound devices: the player drives one of them. All share the software
// mixer for channels and samples (dsm.h) and differ in how the mixed sound
// leaves the process.
#include <cstdint>

struct sdDevice_T {
    const char* name;
    int (*detect)(int* present);
    int (*init)(int rate, int mode);         // mode bits: 1 mono, 4 8-bit
    int (*close)();
    int (*startPass)();                      // a polling pass begins
    int (*play)(int* callPlayer);            // mix what the output needs; 1: run a player tick and call again
    int (*setTickRate)(uint32_t rate);       // hundredths of Hz
};

extern const sdDevice_T sdWaveDevice;        // "Windows Wave Sound Device 1.11"
extern const sdDevice_T sdNoSoundDevice;     // "Mixing No Sound Sound Device"
extern const sdDevice_T* sdCurrent;          // chosen by mp_init, null when closed

// Frames per player tick at outRate for a tick rate in hundredths of Hz
// (always even: 882 at 44100 Hz and 125 beats per minute).
uint32_t sd_tickLength(uint32_t outRate, uint32_t tickRate);
