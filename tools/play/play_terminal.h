#pragma once
// The terminal varnek-play talks to: keys one at a time from a terminal on
// stdin (raw mode, restored on every way out, signals included), and the
// width of the one status line.

enum {
    KEY_NONE = 0, KEY_PAUSE, KEY_BACK, KEY_FORWARD, KEY_NEXT, KEY_PREVIOUS,
    KEY_LOUDER, KEY_SOFTER, KEY_QUIT, KEY_SEEK_BACK, KEY_SEEK_FORWARD, KEY_MESSAGE,
    KEY_NEXT_SONG, KEY_PREVIOUS_SONG,   // the songs of one file's order list
    // Keys 1..9 and 0: KEY_CHANNEL + 0 for channel 1 .. KEY_CHANNEL + 9 for channel 10.
    KEY_CHANNEL = 100
};

// Raw mode when stdin is a terminal; 0 when it is not (no keys then).
int term_start();
// Raw mode again (after a stop); 1 when the terminal is in it.
int term_raw();
// How many times the process was stopped (Ctrl-Z) and continued: wall
// time measured across a change is time spent stopped, not playing.
int term_stops();
// Puts the terminal back as it was; safe to call more than once.
void term_restore();
// The next key, waiting at most waitMs; KEY_NONE when none came.
int term_key(int waitMs);
// Columns of the terminal on stdout, 80 when it does not say.
int term_columns();
