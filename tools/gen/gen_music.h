#pragma once
// The demo's music, composed in code: a small tracker notation for the
// score, synthesised instruments, and the module assembled from both.
#include <cstdint>
#include <string>
#include <vector>

#include "music/formats/mod_writer.h"

// A drum kit maps one-letter tokens to an instrument and a note.
struct gmKitEntry_T {
    char letter;
    uint8_t instrument;
    const char* note;
};

// A piece of one channel: notation text, the instrument its notes use and a
// transposition in semitones (kit letters are never transposed).
struct gmTrack_T {
    std::string text;
    int instrument;
    int transpose;
};

// Notation, one token per row, separated by blanks:
//   .  or .N       empty row(s)
//   ~  or ~N       row(s) repeating the last effect, without a note
//   C-2  F#1       a note, octave 1..3
//   C-2/A04        a note with an effect (effect nibble, parameter byte)
//   /A04           an effect alone
//   K  K/C30       a kit letter, optionally with an effect
// A note under tone portamento (3xx, 5xy) is stored without its instrument,
// so it glides instead of restarting the sample at its own volume.
// Appends the cells to out; returns 0, or -1 with a message in error.
int gm_parseTrack(const gmTrack_T& track, const std::vector<gmKitEntry_T>& kit,
                  std::vector<modCell_T>& out, std::string& error);

// A synthesised instrument: signed 8-bit data, loop in bytes (loopLength 0
// means no loop), MOD volume 0..64.
struct gmSample_T {
    std::string name;
    std::vector<int8_t> data;
    uint32_t loopStart;
    uint32_t loopLength;
    uint8_t volume;
};

// Instrument numbers the score uses (1-based, as in the pattern cells).
enum {
    GM_KICK = 1,
    GM_SNARE,
    GM_HAT,
    GM_OPENHAT,
    GM_BASS,
    GM_PAD,
    GM_LEAD,
    GM_PLUCK,
    GM_CRASH,
    GM_NUM_INSTRUMENTS = GM_CRASH
};

// Every instrument, index i holding instrument i + 1.
std::vector<gmSample_T> gm_synthInstruments();

// Fills the song's patterns, order list and restart position from the
// score; 0, or -1 with a message in error.
int gm_buildScore(modSong_T& song, std::string& error);
