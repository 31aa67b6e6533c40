#pragma once
// The XM frequency tables. Periods are in the units the XM slides move:
// linear periods fall by 64 per semitone (7680 at C-0, finetune in steps of
// 1/128 semitone); Amiga periods are four times the ProTracker ones, C-4
// at 1712. Both tables play C-4 at finetune 0 at 8363 Hz.
#include <cstdint>

// note: semitones from C-0 (0..119, kept within them); finetune -128..127.
int gmp_xmPeriod(int linear, int note, int finetune);
// Playback rate in Hz of a period; 0 for a period of 0 or less.
uint32_t gmp_xmRate(int linear, int period);
