#pragma once
// Writes a ProTracker-style MOD file: the exact inverse of the MOD reader
// (mp_loadMod). The data generator composes the demo's music with it and the
// tests build synthetic modules with it, so every module we play comes from
// code.
#include <cstdint>
#include <string>
#include <vector>

// One pattern cell. period 0 means no note; sample 1..31, 0 for none;
// effect 0..15 with its parameter byte (effect 0 with parameter 0 is empty).
struct modCell_T {
    uint16_t period;
    uint8_t sample;
    uint8_t effect;
    uint8_t param;
};

enum { MOD_ROWS = 64, MOD_MAX_CHANNELS = 32, MOD_SAMPLES = 31 };

// 64 rows; only the first `channels` columns of the song are written.
struct modPattern_T {
    modCell_T cells[MOD_ROWS][MOD_MAX_CHANNELS];
};

// Lengths and loop points are counted in 16-bit words, as the file stores them.
struct modSample_T {
    std::string name;              // up to 22 characters
    std::vector<int8_t> data;      // signed 8-bit; an odd length is padded with one 0
    uint8_t finetune;              // low 4 bits: 0..7, 8..15 meaning -8..-1
    uint8_t volume;                // 0..64
    uint16_t loopStart;            // words
    uint16_t loopLength;           // words; 0 or 1 means no loop
};

struct modSong_T {
    std::string title;                  // up to 20 characters
    char tag[5] = "M.K.";               // signature at offset 1080
    int channels = 4;                   // columns written per row (the tag must say the same)
    modSample_T samples[MOD_SAMPLES] = {};
    std::vector<uint8_t> orders;        // song length = orders.size(), at most 128
    uint8_t restart = 127;              // 127: the usual "no restart" byte
    std::vector<modPattern_T> patterns; // pattern i is written if some order names it
};

// The file's bytes. Patterns 0 to the highest order entry are written (a
// missing one is written empty, one that no order names is left out);
// strings are cut to their field sizes.
std::vector<uint8_t> mod_write(const modSong_T& song);

// Period of a note at finetune 0 from the reader's 72-entry table: octave 0
// to 5 (1712 is octave 0 C, 856 octave 1 C, 428 octave 2 C), semitone 0..11.
// 0 for a note outside the table.
uint16_t mod_notePeriod(int octave, int semitone);
