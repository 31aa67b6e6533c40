#pragma once
// The module player: turns a loaded module into sound-channel operations one
// tick at a time. Runs inside the player's polling pass (mp_poll), under the
// player's critical section.
#include <cstdint>
#include <unordered_set>

#include "music/core/gmp_envelope.h"
#include "music/mp_module.h"

enum { GMP_MAX_PLAYING = 16 };
enum { GMP_SURROUND = 100 };    // channel panning value for surround

// Row flags of a channel.
enum {
    GMP_F_NOTE = 1, GMP_F_VOLUME = 2, GMP_F_INSTRUMENT = 4, GMP_F_COMMAND = 8,
    GMP_F_DELAYED = 16,         // EDx holds the note back
    GMP_F_HANDLED = 32,         // the note was started or taken by a row rule
    GMP_F_ACTION = 64           // a note cut, off or fade cell (noteAction)
};

// Vibrato sine: a half wave of 32 steps; the other half is the same with
// the sign turned.
extern const uint8_t gmpVibratoSine[32];

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
    int loopWentBack;           // this channel's loop asked to go back on the row being played
    int retrigCount;
    int flags;
    // The fields below are the ones several other formats share (MOD leaves
    // them as they start); a format's own live with its rules.
    int volumeByte;             // this row's volume column
    int noteAction;             // this row's cut, off or fade note byte
    int vibWave, tremWave;      // waveforms: 0 sine, 1 ramp down, 2 square; +4 keeps the phase on a new note
    int tremSpeed, tremDepth, tremPos;
    int tremorCount;            // ticks into the tremor's on-and-off cycle
    // The instrument formats (XM, IT): envelopes, key off and fadeout,
    // automatic vibrato.
    int keyOn;                  // 0 once the key is released
    int fadeVolume;             // 32768 full, down by the fadeout per tick after key off
    gmpEnvState_T volumeEnv, panningEnv;
    int envVolume;              // 0..64 this tick
    int envPanning;             // 0..64 this tick, 32 the middle
    int autoVibPos, autoVibTicks;
    int autoVibDelta;           // period offset this tick
    int realNote;               // note + the sample's relative note, semitones from C-0
    int finetune;               // -128..127
    int delayTick;              // EDx: the tick the held cell plays on
};

struct gmpPlayState_T;

// The seam between the scheduler and a format: everything a format decides
// for itself, as one table of hooks chosen once when play starts (MOD, S3M,
// XM and IT each have one, music/rules/). The scheduler keeps the ticks,
// rows, positions and the end of the song, and calls these in this order:
//   play start:  start
//   every tick:  tickStart
//   a row:       rowCell, rowCommand (a channel with a command), rowNote,
//                channel by channel; then the row moves on and rowEnd
//   a pattern delay's repeat of the row: repeatRow
//   other ticks: volumeTick (a channel with a volume column), tickCommand
//                (a channel with a command), channel by channel
//   after every tick: update
//   play end:    stop
// A hook marked "may be null" is skipped where a format has nothing to do.
struct gmpRules_T {
    // Formats that start notes through gmp_startNote: a period of P plays
    // at clock / P Hz. 0 for those that work out their own rates.
    uint32_t clock;
    // After the channels are set up: period limits, slide shift and the
    // format's own state (rulesState). 0 or a code.
    int (*start)(gmpPlayState_T* st);
    // Frees the format's own state; also after a failed start. May be null.
    void (*stop)(gmpPlayState_T* st);
    // Period of a note byte for the channel's sample (gmp_startNote); 0
    // when it has none. Null where the format starts its notes itself.
    int (*notePeriod)(const gmpPlayState_T* st, const gmpChannel_T* ch, int note);
    // Before every tick: what slides and vibrato work from. May be null.
    void (*tickStart)(gmpPlayState_T* st);
    // The channel's cell on the row's tick: its instrument, volume column,
    // note action, and the note where the format plays it before the command.
    int (*rowCell)(gmpPlayState_T* st, gmpChannel_T* ch);
    int (*rowCommand)(gmpPlayState_T* st, gmpChannel_T* ch);
    // After the command: a note the command neither took nor held back
    // starts. May be null.
    int (*rowNote)(gmpPlayState_T* st, gmpChannel_T* ch);
    // After the row has moved on. May be null.
    void (*rowEnd)(gmpPlayState_T* st);
    // A pattern delay's repeat of the last row, no notes. May be null.
    int (*repeatRow)(gmpPlayState_T* st);
    // The volume column on the ticks after the row's. May be null.
    void (*volumeTick)(gmpPlayState_T* st, gmpChannel_T* ch);
    int (*tickCommand)(gmpPlayState_T* st, gmpChannel_T* ch);
    // After every tick: the channels' volume, panning and rate on the device.
    int (*update)(gmpPlayState_T* st);
    // 1: a wrap sets the global volume back to the module's (MOD's restart).
    // 0: the global volume a song has set carries into its next pass, as the
    // S3M, XM and IT trackers play on.
    int wrapResetsGlobalVolume;
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
    const gmpRules_T* rules;    // the module format's
    void* rulesState;           // the format's own state: its rules' start makes it, their stop frees it
    int extraTicks;             // ticks the current row lasts beyond speed (a fine pattern delay)
    // Sound channels beyond the module's channels, for background voices.
    int numBackground;
    int backgroundChannels[MP_BACKGROUND_VOICES];
    // A play that is not looping ends at the end of the row on which
    // loopCount reaches endLoop (1: the song's first pass): its channels
    // fall silent and it is ticked no more.
    int endLoop;
    int ended;
    // The flow states (order position, row, every channel's pattern loop)
    // met at the rows of this pass: the flow depends on nothing else, so a
    // state met twice means the song loops for ever without wrapping.
    std::unordered_set<uint64_t> flowSeen;
    int flowPass;               // the loopCount flowSeen was gathered in
    // The row's flow requests, applied once all its commands have run
    // (gmp_endRowFlow), in the order the module's flow rules give them;
    // -1 none. MOD's rules act at once and leave them alone.
    int loopTarget, breakRow, jumpOrder;
    int nextStartRow;           // FT2: the row the next pattern starts on
    int repeatingRow;           // a pattern delay plays the row again
    int rowEndPending;          // the row ends after its repeats (gmp_rowEndsAfterRepeats)
    int rowDelayed;             // the row a pattern delay repeats (1) or not (0)
    int firstSpeedDue;          // the next row plays at the song's first speed and tempo
};

// loopTarget: a loop that went back and ran out on the same row never ends;
// play leaves it (gmp_leaveEndlessLoop).
enum { GMP_LOOP_LEAVES = -2 };

extern gmpPlayState_T* gmpPlaying[GMP_MAX_PLAYING];
// Tick rate last asked of the sound device, in hundredths of Hz.
extern uint32_t gmpTickRate;

// Sound channels a module plays on: one per channel, then its background
// voices.
int gmp_soundChannelsNeeded(const mpModule_T* module);
// Starts playing by the format's rules in slot `slot` on the given sound
// channels (as many as gmp_soundChannelsNeeded says); first, last and
// restart -1 take the module's values. 0 or a code.
int gmp_play(mpModule_T* module, const gmpRules_T* rules, int first, int last, int restart, int looping,
             int slot, const int* soundChannels, gmpPlayState_T** state);
int gmp_stop(gmpPlayState_T* state);
// Advances every playing module by one tick; 0 or a code.
int gmp_tick();
int gmp_setTempo(gmpPlayState_T* state, int bpm);
// Ends the play at the end of the last row of pass `loops`; 0 loops for ever.
void gmp_setEndLoop(gmpPlayState_T* st, int loops);
// Whether the next tick reads a new row (not a pattern delay's repeat).
int gmp_rowIsDue(const gmpPlayState_T* st);
// Moves play to the start of order `position` (markers skipped in the
// direction of the move); its first row is read on the next tick.
void gmp_setPosition(gmpPlayState_T* st, int position);
void gmp_setPanning(gmpPlayState_T* state, gmpChannel_T* ch, int value);

// Inner pieces shared by the player's files.
const mpSample_T* gmp_sampleOf(const gmpPlayState_T* st, const gmpChannel_T* ch);
void gmp_setPeriod(gmpPlayState_T* st, gmpChannel_T* ch, int period);
int gmp_clampPeriod(const gmpPlayState_T* st, int period);
int gmp_startNote(gmpPlayState_T* st, gmpChannel_T* ch);
void gmp_nextPosition(gmpPlayState_T* st);
// Play moves to another pattern: Scream Tracker 3 starts its loop afresh.
void gmp_enterPattern(gmpPlayState_T* st);
// The song wraps: play goes on from the restart position in the next pass.
void gmp_wrap(gmpPlayState_T* st);
// Leaves a loop that would never run out for the next order position, whose
// first row plays at the song's first speed and tempo, as the players
// people use play such a song.
void gmp_leaveEndlessLoop(gmpPlayState_T* st);
// Leaves the loop when the next row's flow state has been met before in
// the pass (loops that never run out).
void gmp_checkFlowRepeat(gmpPlayState_T* st);
// The rules every format's commands share (gmp_commands.cpp).
void gmp_setVolume(gmpPlayState_T* st, gmpChannel_T* ch, int v);
void gmp_tonePortamento(gmpPlayState_T* st, gmpChannel_T* ch);
void gmp_takePortaTarget(gmpPlayState_T* st, gmpChannel_T* ch);
void gmp_jumpToRow(gmpPlayState_T* st, int row);
// Play goes on at `row` of the pattern now playing, or at its first row
// when the pattern is shorter.
void gmp_startPatternAt(gmpPlayState_T* st, int row);
void gmp_positionJump(gmpPlayState_T* st, int position);
// The row a MOD-style break parameter names (decimal digits, 63 at most).
int gmp_decimalRow(int xx);
void gmp_patternLoop(gmpPlayState_T* st, gmpChannel_T* ch, int x);
// A break to `row` of the next pattern and a jump to order `order`, as the
// row's requests (the formats whose flow rules wait for the row's end).
void gmp_requestBreak(gmpPlayState_T* st, int row);
void gmp_requestJump(gmpPlayState_T* st, int order);
// After the row's commands: its loop, break and jump requests by the
// module's flow rules.
void gmp_endRowFlow(gmpPlayState_T* st);
// Forgets the row's requests (a new position is set from outside).
void gmp_clearFlow(gmpPlayState_T* st);
// Whether a row that a pattern delay repeats ends only after its repeats,
// which run its loop commands again (all but FastTracker 2).
int gmp_rowEndsAfterRepeats(const gmpPlayState_T* st);
void gmp_noteCut(gmpPlayState_T* st, gmpChannel_T* ch, int x);
void gmp_holdNote(gmpChannel_T* ch, int x);
// S9E / S9F (y 14, 15): the sample plays on forward, or backward.
int gmp_playDirection(gmpChannel_T* ch, int y);
// The byte a sample offset command must start before: the loop's end when
// the sample loops, else the sample's end.
uint32_t gmp_offsetLimit(const mpSample_T* s);
int gmp_delayedNote(gmpPlayState_T* st, gmpChannel_T* ch, int x);
void gmp_patternDelay(gmpPlayState_T* st, int x);
// A parameter of 0 repeats the memory's last non-zero value; returns the one to use.
int gmp_remember(int* memory, int value);
// The retrigger's volume change by its x nibble (S3M Q, XM R, IT Q).
int gmp_retrigVolume(int x, int v);
// Reads the next row's entries into the channels.
void gmp_readRow(gmpPlayState_T* st);
// Rows of the playing pattern.
int gmp_rowsOf(const gmpPlayState_T* st);
// After a row: the next one, or the next position after the pattern's last,
// unless a jump already chose where play goes on.
void gmp_nextRow(gmpPlayState_T* st);
// The sound channels of the background voices, for the player to release.
int gmp_backgroundChannels(const gmpPlayState_T* st, int* out);
// The rules the MOD-style formats (MOD, S3M) share: the row's instrument
// (its sample and volume), the row's note after the command, a pattern
// delay's repeat of the row's commands, the channel update from periods.
int gmp_takeInstrument(gmpPlayState_T* st, gmpChannel_T* ch);
int gmp_cellNote(gmpPlayState_T* st, gmpChannel_T* ch);
int gmp_repeatRowCommands(gmpPlayState_T* st);
int gmp_updateChannels(gmpPlayState_T* st);
// The ticks after the row's: every channel's volume column and command.
int gmp_tickChannels(gmpPlayState_T* st);
