#pragma once
// The module player: turns a loaded module into sound-channel operations one
// tick at a time. Runs inside the player's polling pass (mp_poll), under the
// player's critical section.
#include <cstdint>

#include "music/mp_module.h"

enum { GMP_MAX_PLAYING = 16 };
enum { GMP_SURROUND = 100 };    // channel panning value for surround

// Row flags of a channel.
enum {
    GMP_F_NOTE = 1, GMP_F_VOLUME = 2, GMP_F_INSTRUMENT = 4, GMP_F_COMMAND = 8,
    GMP_F_DELAYED = 16,         // EDx holds the note back
    GMP_F_HANDLED = 32          // the note was started or taken by a row rule
};

struct gmpChannel_T {
    int period;
    int instrument;             // 0-based, MP_NONE when none
    int newInstrument;
    int portaTarget;
    uint32_t startOffset;       // bytes
    int sampleNum;
    int soundChannel;
    int note;
    int command, param;
    int volume;
    int outVolume;
    int chanVolume;
    int panning;                // -64..64 or GMP_SURROUND
    int outPeriod;
    int portaSpeed;
    int vibSpeed, vibDepth, vibPos;
    int offsetMemory;
    int loopRow, loopCounter;
    int retrigCount;
    int flags;
};

struct gmpPlayState_T {
    int slot;
    mpModule_T* module;
    int32_t rowData;            // byte offset of the next row in the pattern; -1: find row `row`
    int position;
    int pattern;
    int row;
    int lastPosition;
    int restartPosition;
    int tempo;
    int speed;
    int tick;
    int patternDelay;
    int numChannels;
    int maxPeriod, minPeriod;
    int periodShift;
    int maxVolume;
    int loopCount;
    int looping;
    int globalVolume;
    int volumeFactor;
    gmpChannel_T channels[MP_MAX_CHANNELS];
};

extern gmpPlayState_T* gmpPlaying[GMP_MAX_PLAYING];
// Tick rate last asked of the sound device, in hundredths of Hz.
extern uint32_t gmpTickRate;

// Starts playing in slot `slot` on the given sound channels (one per module
// channel); first, last and restart -1 take the module's values. 0 or a code.
int gmp_play(mpModule_T* module, int first, int last, int restart, int looping, int slot,
             const int* soundChannels, gmpPlayState_T** state);
int gmp_stop(gmpPlayState_T* state);
// Advances every playing module by one tick; 0 or a code.
int gmp_tick();
int gmp_setTempo(gmpPlayState_T* state, int bpm);
void gmp_setPanning(gmpPlayState_T* state, gmpChannel_T* ch, int value);

// Inner pieces shared by the player's files.
int gmp_notePeriod(const gmpPlayState_T* st, const gmpChannel_T* ch, int note);
void gmp_setPeriod(gmpPlayState_T* st, gmpChannel_T* ch, int period);
int gmp_clampPeriod(const gmpPlayState_T* st, int period);
int gmp_startNote(gmpPlayState_T* st, gmpChannel_T* ch);
void gmp_nextPosition(gmpPlayState_T* st);
int gmp_rowCommand(gmpPlayState_T* st, gmpChannel_T* ch);
int gmp_tickCommand(gmpPlayState_T* st, gmpChannel_T* ch);
