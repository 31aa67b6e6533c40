#pragma once
// A small XM writer for the tests: builds files field by field as the
// format lays them out, with knobs for the sizes a damaged or unusual file
// states (header and instrument sizes larger than their fields, cells
// written plain or packed).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct xmCell_T {
    uint8_t note = 0;           // 1..96, 97 key off
    uint8_t instrument = 0;     // 1-based
    uint8_t volume = 0;         // the volume column byte as the file has it
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct xmPatternW_T {
    int rows = 64;
    std::vector<std::vector<xmCell_T>> cells;   // [row][channel]; missing rows are empty
    bool plain = false;                         // every cell as 5 bytes instead of packed
};

struct xmSampleW_T {
    std::vector<int16_t> data;  // sample values (8-bit ones in -128..127); stereo: the left ones, then the right
    bool is16 = false;
    bool stereo = false;        // the modern editors' stereo flag; each half delta-coded on its own
    int loop = 0;               // 0 none, 1 forward, 2 ping-pong
    uint32_t loopStart = 0, loopLength = 0;   // in frames
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
};

struct xmEnvelopeW_T {
    std::vector<std::pair<uint16_t, uint16_t>> points;   // (tick, value)
    uint8_t sustain = 0, loopStart = 0, loopEnd = 0;
    uint8_t type = 0;           // 1 on, 2 sustain, 4 loop
};

struct xmInstrumentW_T {
    std::vector<xmSampleW_T> samples;
    uint8_t noteSample[96] = {};
    xmEnvelopeW_T volume, panning;
    uint8_t vibType = 0, vibSweep = 0, vibDepth = 0, vibRate = 0;
    uint16_t fadeout = 0;
    uint32_t extraHeader = 0;   // bytes beyond the known fields, stated in the size
};

struct xmSong_T {
    std::string title = "test";
    std::string tracker = "varnek tests";  // the header's tracker name
    char titlePad = 0;          // FastTracker 2 pads the title with spaces
    int channels = 2;
    bool linear = true;
    uint16_t speed = 6, bpm = 125, restart = 0;
    std::vector<uint8_t> orders = {0};
    std::vector<xmPatternW_T> patterns = {xmPatternW_T()};
    std::vector<xmInstrumentW_T> instruments;
    uint32_t extraHeader = 0;   // bytes beyond the order table, stated in the header size
    uint16_t version = 0x0104;  // 0x0102 and 0x0103 write the early layouts
};

std::vector<uint8_t> xm_write(const xmSong_T& song);

// An instrument of one sample (a square wave of `length` frames, looping
// forward over all of it), every note mapped to it.
xmInstrumentW_T xm_squareInstrument(int length = 64);
