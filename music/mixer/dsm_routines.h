#pragma once
// The mixer's inner loops. One routine is picked per channel and per stretch
// of frames (by numeric path, sample type and panning), never per sample.
#include <cstdint>

#include "music/mixer/dsm.h"

// Positions are 16.16 fixed point: frame index in the high bits, fraction
// in the low 16, kept signed so a backward step below frame 0 stays visible.
using dsmPos_T = int64_t;
enum { DSM_POS_SHIFT = 16 };

struct dsmVoice_T {
    const uint8_t* data;
    dsmPos_T pos;
    dsmPos_T step;          // negative while playing backward
    const int32_t* tabL;    // integer path, 8-bit: volume table rows
    const int32_t* tabR;
    int32_t mulL, mulR;     // integer path, 16-bit: (sample x mul) >> 8
    float facL, facR;       // floating-point path, and the filtered routines of both
    dsmFilter_T* filter;    // filtered routines: coefficients and state
};

// Adds count frames into out (interleaved when stereo); returns the new position.
using dsmRoutine_T = dsmPos_T (*)(const dsmVoice_T& v, void* out, uint32_t count);

// How a stereo voice reaches the two sides: both with their own volumes;
// centred and surround (integer path) with the left value on both sides,
// added or subtracted; or one side alone when the other's value is always
// zero (hard panning), which saves the additions of nothing.
enum { DSM_PAN_GENERAL = 0, DSM_PAN_CENTRE = 1, DSM_PAN_SURROUND = 2, DSM_PAN_LEFT = 3, DSM_PAN_RIGHT = 4 };

// integer: 1/0; sampleType: DSM_SMP_*; stereo: 1/0; pan: DSM_PAN_* (mono
// output always mixes the left value). Stereo samples send their left frame
// value to the left side and their right one to the right (centre and
// surround: both through the left volume); on mono output both are added,
// each at the voice's left volume, which the caller halves. On the integer
// path mu-law samples use the 8-bit routines with the mu-law volume table's
// rows as tabL and tabR.
dsmRoutine_T dsm_routine(int integer, int sampleType, int stereo, int pan);

// The filtered routine of a voice whose filter is on, its factors set.
dsmRoutine_T dsm_setUpFiltered(dsmChannel_T* ch, dsmVoice_T* v, int stereo);

extern int32_t dsmVolumeTable[33][256];
extern int32_t dsmMuLawTable[33][256];  // integer path: mu-law code at 33 volume levels
extern float dsmFloatTable[256];
extern float dsmMuLawFloat[256];        // floating-point path: mu-law code as its 16-bit value
extern int32_t* dsmMixBuffer;
extern float* dsmMixBufferF;
