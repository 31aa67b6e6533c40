#pragma once
// The software mixer: a store of sample data and any number of sound
// channels playing from it at their own rates, volumes and pannings, mixed
// into 8- or 16-bit mono or stereo frames.
//
// No locking of its own: every call comes from the player's operations or its
// polling pass, which hold the player's critical section (mp_player.cpp).
#include <cstdint>

// Mode bits of dsm_init.
enum {
    DSM_8BIT = 1, DSM_16BIT = 2, DSM_MONO = 4, DSM_STEREO = 16,
    DSM_FLOAT = 32, DSM_INTEGER = 64, DSM_HQ = 128
};

// Sample types: 0 none, 1 8-bit unsigned mono, 2 16-bit signed mono, 3 and 4
// their stereo forms (left and right of a frame side by side), 7 mono and 8
// stereo 8-bit mu-law (16-bit samples stored at half the size when the
// player's conversion setting is on).
enum {
    DSM_SMP_NONE = 0, DSM_SMP_8BIT = 1, DSM_SMP_16BIT = 2, DSM_SMP_8BIT_STEREO = 3, DSM_SMP_16BIT_STEREO = 4,
    DSM_SMP_MULAW = 7, DSM_SMP_MULAW_STEREO = 8
};

// Loop modes: 4 no loop and 5 forward loop are the tracker modes; 2 and 3
// add a second loop used after release; other values (1) play loop 1 alone.
enum { DSM_LOOP_SINGLE = 1, DSM_LOOP_RELEASE = 2, DSM_LOOP_RELEASE_BIDI = 3, DSM_LOOP_NONE = 4, DSM_LOOP_TRACKER = 5 };
// Loop types: 0 none, 1 forward, 2 and 3 back and forth, turning as the
// two trackers that have such loops turn. Type 2 (FastTracker 2) mirrors the
// position on the loop's end and start themselves: the frame at the loop
// end sounds on an exact hit (the last frame of the sample again when the
// loop ends there), and a cycle lasts twice the loop. Type 3 (Impulse
// Tracker) mirrors it half a frame inside the end, so the loop's last frame
// sounds twice at the top, and on the start at the bottom: a cycle one frame
// shorter than twice the loop.
enum { DSM_LT_NONE = 0, DSM_LT_FORWARD = 1, DSM_LT_BIDI = 2, DSM_LT_BIDI_REPEAT = 3 };

// Channel status. A fading record is the copy of a cut or replaced note
// ramping down to silence in one of the spare records of the high-quality mode.
enum { DSM_STOPPED = 0, DSM_AT_END = 1, DSM_PLAYING = 2, DSM_RELEASED = 3, DSM_FADING = 4 };

// Interpolation of the high-quality mode (the player's quality setting):
// plain is the mode off, stepping without interpolation.
enum { DSM_QUALITY_PLAIN = 0, DSM_QUALITY_LINEAR = 1, DSM_QUALITY_CUBIC = 2, DSM_QUALITY_SINC = 3 };

enum { DSM_MAX_SAMPLES = 1024, DSM_SURROUND = 128 };

// A sample as the caller describes it; lengths and loop points in bytes.
struct dsmSampleDesc_T {
    const uint8_t* data;
    int type;
    uint32_t length;
    int loopMode;
    uint32_t loop1Start, loop1End;
    int loop1Type;
    uint32_t loop2Start, loop2End;
    int loop2Type;
};

struct dsmSample_T {
    uint8_t* data;
    int type;
    int origType;
    int present;
    uint32_t length;        // frames
    int loopMode;
    uint32_t loop1Start, loop1End;
    int loop1Type;
    uint32_t loop2Start, loop2End;
    int loop2Type;
    int inUse;
    int owned;
};

// A two-pole resonant low-pass filter: y = a x + b y1 + c y2, on values at
// the 16-bit sample scale.
struct dsmFilter_T {
    int on;
    float a, b, c;
    float y1, y2;
};

struct dsmChannel_T {
    // The playing sample, copied from the store when it takes effect.
    const uint8_t* data;
    int type;
    int origType;
    int present;
    uint32_t length;
    int loopMode;
    uint32_t loop1Start, loop1End;
    int loop1Type;
    uint32_t loop2Start, loop2End;
    int loop2Type;

    uint32_t pos;           // frames
    uint32_t posFrac;       // 16-bit fraction of a frame
    uint32_t rate;          // Hz
    int direction;          // +1 or -1
    int sample;             // handle given by dsm_setSample (0 none)
    int sampleChanged;      // the handle differs from the playing sample
    int panning;            // -64 left .. 64 right, or DSM_SURROUND
    int volume;             // 0..64
    int mute;
    int balancedPan;        // 1: both sides follow the panning (the trackers' law); 0: the near side stays full
    int status;
    int loopNumber;         // 1 or 2
    void (*loopCallback)(int channel);
    int leftVol, rightVol;  // up to 64 x 64 x 64 x 16
    // The resonant low-pass filter (dsm_filter.cpp): off, or on with its
    // coefficients and the last two outputs carried from block to block.
    int filterCutoff, filterResonance;
    dsmFilter_T filter;
    // Set once the position has wrapped or turned in its loop: from then on
    // the frames before the loop start are the loop's own (interpolation).
    int looped;
    // High-quality mode: the factors applied now, and the ramp that moves
    // them from rampFrom to rampTo over dsmRampFrames frames (rampPos done).
    float gainL, gainR;
    float rampFromL, rampFromR, rampToL, rampToR;
    int rampPos;
    int ramping;
};

// Mixer-wide state.
extern int dsmRate;
extern int dsmMode;
extern int dsmInteger;
extern int dsmChannels;
extern int dsmRecords;                    // channel records: dsmChannels, twice that in high-quality mode
extern int dsmQuality;                    // DSM_QUALITY_*, plain unless the mode has DSM_HQ
extern int dsmAmplification;
extern int dsmMasterVolume;
// Percent of each channel's panning heard: 100 as set, 0 every channel in the middle.
extern int dsmSeparation;
extern int dsmMuteAll;
extern int dsmPaused;
extern int dsmChannelsOpen;
extern int dsmFilterMode;
extern int dsmAutoFilter;
extern int dsmBufferBytes;
extern dsmChannel_T* dsmChannel;          // dsmRecords records while open; the spares follow the channels
extern dsmSample_T dsmSamples[DSM_MAX_SAMPLES];

int dsm_init(int rate, int mode);
int dsm_close();
int dsm_openChannels(int n);
int dsm_closeChannels();

int dsm_addSample(const dsmSampleDesc_T* desc, int copy, int* handle);
int dsm_removeSample(int handle);

int dsm_playSound(int channel, uint32_t rate);
int dsm_stopSound(int channel);
int dsm_setRate(int channel, uint32_t rate);
int dsm_getRate(int channel, uint32_t* rate);
int dsm_setVolume(int channel, int volume);
int dsm_setPanning(int channel, int panning);
int dsm_mute(int channel, int flag);
// The panning law of a channel: 0 (the default) keeps the near side at full
// volume, so a centred voice plays at full volume on both sides; 1 scales
// both sides linearly, so a centred voice plays at half volume on each, as
// S3M, XM and IT trackers mix.
int dsm_setBalancedPan(int channel, int flag);
// Key off: the sample leaves its first (sustain) loop for the second, or
// plays on to its end.
int dsm_releaseSound(int channel);
// Cutoff 0..127 and resonance 0..127 of the channel's filter; 127 and 0
// turn it off.
int dsm_setFilter(int channel, int cutoff, int resonance);
int dsm_setSample(int channel, int handle);
int dsm_setPosition(int channel, uint32_t bytes);
int dsm_getPosition(int channel, uint32_t* bytes);
int dsm_getDirection(int channel, int* direction);
// Plays the channel's sample on forward (+1) or backward (-1) from where it
// is, or backward from its end (the end of the loop when it loops) with
// fromEnd. Backward, a sample without a loop stops at its start, and a
// forward loop goes round from its start to its end.
int dsm_setDirection(int channel, int direction, int fromEnd);
// 0..64: the volume times the peak of the sample data about to play.
int dsm_getLevel(int channel, int* level);
int dsm_setLoopCallback(int channel, void (*callback)(int channel));
int dsm_setMasterVolume(int volume);
int dsm_setAmplification(int amp);
int dsm_muteAll(int flag);
int dsm_pause(int flag);

// Render frames in the output format into destination.
int dsm_mix(uint32_t frames, void* destination);

// Bytes of a frame of a sample type as a shift: 0, 1 or 2.
int dsm_frameShift(int type);
int dsm_isStereoSample(int type);
int dsm_is16BitSample(int type);
// The type of 8- or 16-bit frames, mono or stereo.
int dsm_sampleType(int is16, int stereo);
// 8-bit mu-law: the code of a 16-bit value, and the 16-bit value of a code.
uint8_t dsm_muLawEncode(int16_t value);
int16_t dsm_muLawDecode(uint8_t code);

// Inner pieces shared by the mixer's files.
void dsm_computeVolumes(dsmChannel_T* ch);
void dsm_takeSample(dsmChannel_T* ch);        // copy the recorded sample into the channel
void dsm_mixChannel(int channel, void* buffer, uint32_t frames);
void dsm_filterAndConvert(void* buffer, uint32_t frames, uint8_t* destination);
void dsm_resetFilter();
// High-quality mode: mixes count frames of a voice from position p (16.16)
// by step into the float buffer, with interpolation, volume ramps and the
// voice's filter; returns the new position.
int64_t dsm_mixVoiceHQ(dsmChannel_T* ch, int64_t p, int64_t step, uint32_t count, float* out);
// High-quality mode: a voice about to be cut or restarted leaves a copy
// that fades out in a spare record; the voice itself restarts from silence.
void dsm_fadeOut(dsmChannel_T* ch);
// Builds the interpolation kernel and the ramp shape for the mixing rate.
void dsm_buildKernels();
