#pragma once
// State of the wave output device, visible to its tests.
#include <cstdint>

#include "platform/sound_out.h"

enum { WAVE_8MONO = 5, WAVE_8STEREO = 6, WAVE_16MONO = 9, WAVE_16STEREO = 10, WAVE_MAX_BLOCKS = 64 };

struct waveState_T {
    int outMode;
    int outRate;
    int bytesPerFrame;
    int numBlocks;
    int blockSize;
    pfAudioBlock_T* blocks;
    uint8_t* blockData;
    int curBlock;
    int fillPos;
    int blocksThisPass;
    uint32_t tickLength;
    uint32_t untilTick;
    int paused;
    int open;
};

extern waveState_T waveState;

int wave_detect(int* present);
// The player's error code for a result of opening the sound output (the
// wave-out services' numbering, sound_out.h).
int wave_translateResult(int system);
int wave_init(int rate, int mode);
int wave_close();
int wave_startPass();
int wave_play(int* callPlayer);
int wave_setTickRate(uint32_t rate);
int wave_pause();
int wave_resume();
int wave_getMode(int* mode);
// Drops sound queued but not yet played and starts the next block afresh on
// a tick boundary, so a module started now is heard at once: its first tick
// comes before any sound is mixed.
void wave_flush();
