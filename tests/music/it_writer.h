#pragma once
// A small IT writer for the tests: builds files field by field as the
// format lays them out, packs patterns with channel masks and the
// previous-value bits, and compresses sample data the way Impulse Tracker
// 2.14 and 2.15 do, so that the reader's decompressor is tested on what a
// compressor really writes (including every kind of width change).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct itCellW_T {
    int note = -1;              // 0..119, 255 off, 254 cut, 246 fade; -1 none
    int instrument = 0;         // 1-based, 0 none
    int volume = -1;            // the volume column byte, -1 none
    uint8_t command = 0;        // 1..26 (A..Z)
    uint8_t param = 0;
};

struct itPatternW_T {
    int rows = 64;
    std::vector<std::vector<itCellW_T>> cells;   // [row][channel]; missing rows are empty
};

struct itSampleW_T {
    std::vector<int16_t> data;  // values (8-bit ones in -128..127)
    bool is16 = false;
    bool compressed = false, it215 = false;
    bool isSigned = true;
    uint8_t globalVolume = 64, volume = 64;
    int defaultPan = -1;        // 0..64
    uint32_t c5Speed = 8363;
    int loop = 0;               // 0 none, 1 forward, 2 ping-pong
    uint32_t loopStart = 0, loopEnd = 0;
    int sustain = 0;            // the same for the sustain loop
    uint32_t sustainStart = 0, sustainEnd = 0;
    uint8_t vibSpeed = 0, vibDepth = 0, vibSweep = 0, vibType = 0;
    uint32_t offsetOverride = 0;    // a data offset to state instead of the real one
};

struct itEnvelopeW_T {
    std::vector<std::pair<int8_t, uint16_t>> points;     // (value, tick)
    uint8_t flags = 0;          // 1 on, 2 loop, 4 sustain, 128 filter
    uint8_t loopStart = 0, loopEnd = 0, sustainStart = 0, sustainEnd = 0;
    int statedPoints = -1;      // a point count to state instead of the real one
};

struct itInstrumentW_T {
    bool oldLayout = false;
    uint8_t nna = 0, dct = 0, dca = 0;
    uint16_t fadeout = 0;
    uint8_t globalVolume = 128;
    int defaultPan = -1;
    uint8_t randomVolume = 0, randomPan = 0;    // percent, panning units
    int cutoff = -1, resonance = -1;
    uint8_t keyNote[120], keySample[120];   // the keyboard table (it_instrument fills it)
    itEnvelopeW_T volume, panning, pitch;
};

struct itSong_T {
    std::string title = "test";
    uint16_t flags = 1 | 8;     // stereo, linear slides
    uint8_t globalVolume = 128, mixVolume = 48, speed = 6, tempo = 125, separation = 128;
    uint8_t channelPan[64], channelVolume[64];
    std::vector<uint8_t> orders = {0};
    std::vector<itPatternW_T> patterns = {itPatternW_T()};
    std::vector<itInstrumentW_T> instruments;   // none: sample mode
    std::vector<itSampleW_T> samples;
    // The header's created-with and compatible-with versions (0: the
    // writer's own, 2.14; an old-layout instrument makes the second 1.00).
    uint16_t createdWith = 0, compatibleWith = 0;
    uint8_t highlightBeat = 4, highlightMeasure = 16;   // Impulse Tracker's row highlights
    itSong_T();
};

std::vector<uint8_t> it_write(const itSong_T& song);
// IT 2.14 (or 2.15) compressed data of 8- or 16-bit values, in blocks.
std::vector<uint8_t> it_compress(const std::vector<int16_t>& values, bool is16, bool it215);
// An instrument that plays sample `sample` (1-based) on every key.
itInstrumentW_T it_instrument(int sample);
// A looping square wave of `length` frames, 8-bit.
itSampleW_T it_squareSample(int length = 64);
