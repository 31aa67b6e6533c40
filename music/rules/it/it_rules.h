#pragma once
// The IT rules' pieces shared between the rows (it_rows.cpp), the
// commands (it_commands.cpp), the new-note actions (it_new_notes.cpp) and
// the voices' update (it_voices.cpp).
// Command numbers are IT's letters A..Z as 1..26. Periods are linear: 64
// units a semitone, 768 an octave, C-5 at IT_PERIOD_C5.
#include "music/core/gmp.h"

enum {
    ITC_SPEED = 1, ITC_JUMP, ITC_BREAK, ITC_VOLSLIDE, ITC_PORTA_DOWN, ITC_PORTA_UP, ITC_TONE_PORTA, ITC_VIBRATO,
    ITC_TREMOR, ITC_ARPEGGIO, ITC_VIBRATO_VOLSLIDE, ITC_TONE_VOLSLIDE, ITC_CHANNEL_VOLUME, ITC_CHANNEL_SLIDE,
    ITC_OFFSET, ITC_PAN_SLIDE, ITC_RETRIG, ITC_TREMOLO, ITC_SPECIAL, ITC_TEMPO, ITC_FINE_VIBRATO, ITC_GLOBAL_VOLUME,
    ITC_GLOBAL_SLIDE, ITC_PANNING, ITC_PANBRELLO, ITC_MIDI,
    ITC_SMOOTH_MIDI = 28,   // a backslash in later editors
};
// S sub-commands (the parameter's high nibble).
enum {
    ITS_VIBRATO_WAVE = 3, ITS_TREMOLO_WAVE, ITS_PANBRELLO_WAVE, ITS_FINE_DELAY, ITS_NNA, ITS_PAN, ITS_SURROUND,
    ITS_HIGH_OFFSET, ITS_LOOP, ITS_CUT, ITS_DELAY, ITS_ROW_DELAY,
};
enum { IT_PERIOD_C5 = 3840, IT_PERIOD_SEMITONE = 64 };
enum { IT_CUTOFF_OPEN = 127 };

// What a voice carries beyond the channel record: the note's instrument
// volumes and envelopes past volume and panning, its fade and filter.
struct gmpItVoiceState_T {
    int active;             // a note sounds
    int fading;             // the fadeout runs
    int nna;                // MP_NNA_* of the note
    int instrument;         // the note's, which an instrument number alone does not change
    int sample;             // index into the module's samples
    int playedNote;         // the key pressed, for the duplicate check
    int sampleVolume;       // 0..64
    int instrumentVolume;   // 0..128
    int panOffset;          // the pitch-pan separation's and the random variation's share
    int finalPan;           // 0..64 before the envelope, as last worked out
    int surround;
    int cutoff, resonance;  // 0..127
    int volEnvOn, panEnvOn, pitchEnvOn;    // S77..S7C switch them
    gmpEnvState_T pitchEnv;
    int finalVolume;        // 0..64 last sent: the quietest background voice is taken first
};

// A note sounding on a sound channel: the foreground one of each channel
// or one that its channel left to play on in the background.
struct gmpItVoice_T {
    gmpChannel_T ch;
    gmpItVoiceState_T v;
    int owner;              // the channel that left it, for the duplicate check and S70..S72
};

// The IT channel's own memory and effect state.
struct gmpItChannel_T {
    int channelVolume;      // 0..64
    int pan;                // 0..64
    int surround;
    int memEF, memG, memD, memH, memN, memO, memHighOffset, memP, memQ, memI, memJ, memS, memT, memW;
    int memVolColumn;       // the volume column's slides
    int panbrelloPos, panbrelloSpeed, panbrelloDepth, panbrelloWave, panbrelloDelta;
    int tempoSlide;         // T0x/T1x per tick
    int cutoff, resonance;  // the channel's filter for new notes (Z)
    int smoothFrom;         // where a smooth macro's slide started, on the row's tick
};

struct gmpItState_T {
    gmpItChannel_T chan[MP_MAX_CHANNELS];
    gmpItVoiceState_T fg[MP_MAX_CHANNELS];
    gmpItVoice_T bg[MP_BACKGROUND_VOICES];
    int numBackground;
    int rowDelaySet;        // SEx on this row already (the first one counts)
    uint32_t random;        // the instruments' random variations: a song renders the same every time
};

inline gmpItState_T* gmp_itState(const gmpPlayState_T* st) { return (gmpItState_T*)st->rulesState; }

// The vibrato, tremolo and panbrello waveforms over 64 steps, -64..64:
// 0 sine, 1 ramp down, 2 square, 3 random.
int gmp_itWave(int wave, int pos);
// Period of a note (semitones from C-0) for the module's slides.
int gmp_itPeriod(int note);
void gmp_itSetVolume(gmpChannel_T* ch, int v);
// Plays the channel's note, instrument and volume column (on the row, or
// on the tick a note delay names).
int gmp_itPlayCell(gmpPlayState_T* st, int c);
int gmp_itRowCommand(gmpPlayState_T* st, int c);
int gmp_itTickCommand(gmpPlayState_T* st, int c);
void gmp_itVolumeRow(gmpPlayState_T* st, int c);
void gmp_itVolumeTick(gmpPlayState_T* st, int c);
// The voices: a new note's action on the playing one, the actions on notes
// left in the background, and every voice's envelopes, fade and output.
int gmp_itNewNote(gmpPlayState_T* st, int c, const mpInstrument_T* inst, int sample, int note);
void gmp_itPastNotes(gmpPlayState_T* st, int c, int action);
void gmp_itNoteAction(gmpPlayState_T* st, gmpChannel_T* ch, gmpItVoiceState_T* v, int action);
// Playback rate of a sample at a period.
uint32_t gmp_itRate(const mpSample_T* s, int period);
int gmp_itUpdateVoice(gmpPlayState_T* st, gmpChannel_T* ch, gmpItVoiceState_T* v, const gmpItChannel_T* chan);
