#pragma once
// Sizes and codes of the XM file layout that the reader and the tests'
// writer share.
enum {
    XM_HEADER_FIXED = 80,           // up to the order table
    XM_PATTERN_HEADER = 9,
    XM_INSTRUMENT_HEADER = 243,     // the fields we know of an instrument with samples
    XM_SAMPLE_HEADER = 40,
    XM_ENV_POINTS = 12,
    XM_MAX_ROWS = 256,
    XM_MAX_INSTRUMENTS = 128,
    XM_MAX_SAMPLES = 16,            // per instrument
    XM_LAST_NOTE = 96,              // notes 1..96 are C-0..B-7
    XM_KEY_OFF = 97,
    XM_COMMANDS = 36,               // effects 0..9 and A..Z
    XM_SAMPLE_16BIT = 16,           // sample type bits
    XM_SAMPLE_STEREO = 32,          // modern editors' stereo samples: the left values, then the right
    XM_VERSION_CURRENT = 0x0104,    // the layout of FastTracker 2 from 2.0 on
    XM_VERSION_ROWS_IN_BYTE = 0x0102,
};
