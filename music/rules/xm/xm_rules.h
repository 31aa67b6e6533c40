#pragma once
// The XM rules' pieces shared between the rows (xm_rows.cpp)
// and the commands (xm_commands.cpp). Internal command numbers are the
// XM effect numbers (0..9, then A..Z as 10..35) plus 1; E and X keep their
// sub-command in the parameter's high nibble.
#include "music/core/gmp.h"

// What an XM channel keeps beyond the shared channel record: its panning
// and FastTracker 2's parameter memory, one per command.
struct gmpXmChannel_T {
    int panning;            // 0..255
    int memSlideUp, memSlideDown, memFineUp, memFineDown, memExtraUp, memExtraDown;
    int memVolSlide, memFineVolUp, memFineVolDown, memPanSlide, memGlobalSlide;
    int memRetrig, memTremor, memOffset;
    // The tremor's silence outlasts the command: it holds through the
    // row's first tick and the rows after, until the tremor turns the
    // sound on again or an instrument number resets the volume.
    bool tremorMuted;
    // A note has played, so a note delay on a row without one replays it.
    bool hasNote;
    // E3x: tone portamento sounds in whole semitones.
    bool glissando;
};

struct gmpXmState_T {
    gmpXmChannel_T chan[MP_MAX_CHANNELS];
};

inline gmpXmChannel_T* gmp_xmChannel(const gmpPlayState_T* st, const gmpChannel_T* ch)
{
    return &((gmpXmState_T*)st->rulesState)->chan[ch - st->channels];
}

enum {
    XMC_ARPEGGIO = 1, XMC_PORTA_UP, XMC_PORTA_DOWN, XMC_TONE_PORTA, XMC_VIBRATO, XMC_TONE_VOLSLIDE,
    XMC_VIBRATO_VOLSLIDE, XMC_TREMOLO, XMC_PANNING, XMC_OFFSET, XMC_VOLSLIDE, XMC_JUMP, XMC_VOLUME,
    XMC_BREAK, XMC_EXTENDED, XMC_SPEED, XMC_GLOBAL_VOLUME, XMC_GLOBAL_SLIDE,
    XMC_KEY_OFF = 21, XMC_ENVELOPE_POSITION = 22, XMC_PAN_SLIDE = 26, XMC_RETRIG = 28,
    XMC_TREMOR = 30, XMC_EXTRA_FINE = 34,
};
// E sub-commands (the parameter's high nibble).
enum {
    XME_FINE_UP = 1, XME_FINE_DOWN = 2, XME_GLISSANDO = 3, XME_VIBRATO_WAVE = 4, XME_FINETUNE = 5, XME_LOOP = 6,
    XME_TREMOLO_WAVE = 7, XME_PANNING = 8, XME_RETRIG = 9, XME_FINE_VOL_UP = 10, XME_FINE_VOL_DOWN = 11, XME_CUT = 12,
    XME_DELAY = 13, XME_PATTERN_DELAY = 14,
};

// The volume column's commands (high nibble of its byte; 0..64 set the volume).
enum {
    XMV_SLIDE_DOWN = 6, XMV_SLIDE_UP = 7, XMV_FINE_DOWN = 8, XMV_FINE_UP = 9, XMV_VIBRATO_SPEED = 10,
    XMV_VIBRATO = 11, XMV_PANNING = 12, XMV_PAN_LEFT = 13, XMV_PAN_RIGHT = 14, XMV_TONE_PORTA = 15,
};

// Plays the channel's note, instrument and volume column (on the row, or
// on the tick a note delay names).
int gmp_xmPlayCell(gmpPlayState_T* st, gmpChannel_T* ch);
// The volume column on the row's tick and on the others.
void gmp_xmVolumeRow(gmpPlayState_T* st, gmpChannel_T* ch);
void gmp_xmVolumeTick(gmpPlayState_T* st, gmpChannel_T* ch);
// The commands on the row's tick and on the others.
int gmp_xmRowCommand(gmpPlayState_T* st, gmpChannel_T* ch);
int gmp_xmTickCommand(gmpPlayState_T* st, gmpChannel_T* ch);
void gmp_xmVibrato(gmpPlayState_T* st, gmpChannel_T* ch);
