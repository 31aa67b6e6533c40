#pragma once
// Sizes, offsets and flags of the IT file layout that the reader and the
// tests' writer share.
enum {
    IT_HEADER = 0xC0,               // up to the order list
    IT_INSTRUMENT = 554,            // both instrument layouts
    IT_SAMPLE_HEADER = 0x50,
    IT_PATTERN_HEADER = 8,
    IT_MAX_CHANNELS = 64,
    IT_MAX_ROWS = 1024,             // Impulse Tracker writes up to 200, later editors more
    IT_ENV_POINTS = 25,
    IT_NEW_LAYOUT = 0x200,          // compatible-with version from which instruments use the new layout
    IT_NOTE_OFF = 255,
    IT_NOTE_CUT = 254,              // 120..253 fade the note
    IT_LAST_NOTE = 119,
    // Commands are the letters A..Z as 1..26; later editors add 28 (a backslash),
    // the smooth MIDI macro.
    IT_LAST_LETTER = 26, IT_SMOOTH_MIDI = 28,
};
// Header flags.
enum {
    IT_F_STEREO = 1, IT_F_INSTRUMENTS = 4, IT_F_LINEAR = 8, IT_F_OLD_EFFECTS = 16, IT_F_COMPAT_G = 32,
};
// Channel panning table: 100 surround, +128 disabled.
enum { IT_PAN_SURROUND = 100, IT_PAN_DISABLED = 128 };
// Sample flags and conversion flags.
enum {
    ITS_PRESENT = 1, ITS_16BIT = 2, ITS_STEREO = 4, ITS_COMPRESSED = 8, ITS_LOOP = 16, ITS_SUSTAIN = 32,
    ITS_PINGPONG = 64, ITS_SUSTAIN_PINGPONG = 128,
};
enum { ITC_SIGNED = 1, ITC_DELTA215 = 4 };
// Envelope flags; the pitch envelope drives the filter when IT_ENV_FILTER is set.
enum { IT_ENV_ON = 1, IT_ENV_LOOP = 2, IT_ENV_SUSTAIN = 4, IT_ENV_FILTER = 128 };
