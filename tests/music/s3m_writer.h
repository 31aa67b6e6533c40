#pragma once
// Writes small ScreamTracker 3 modules for the tests and the fuzz seeds:
// the header, the order list, instrument and pattern pointers, an optional
// pan table, 80-byte instruments, packed patterns and the sample data, each
// block on a 16-byte boundary as the format's pointers need.
#include <cstdint>
#include <string>
#include <vector>

// One cell; 255 note or volume and 0 instrument or command mean none.
struct s3mCell_T {
    uint8_t note = 255;         // octave x 16 + semitone, 254 note cut
    uint8_t instrument = 0;     // 1-based
    uint8_t volume = 255;
    uint8_t command = 0;        // 1 = A ... 26 = Z
    uint8_t param = 0;
};

enum { S3M_W_ROWS = 64, S3M_W_CHANNELS = 32 };

struct s3mPattern_T {
    s3mCell_T cells[S3M_W_ROWS][S3M_W_CHANNELS];
};

struct s3mSample_T {
    std::string name;
    uint8_t type = 1;               // 1 sample, 2 an AdLib melodic instrument
    std::vector<uint8_t> data;      // the bytes as the file stores them
    uint32_t frames = 0;            // the header's length (0: data size over the frame size)
    uint32_t loopStart = 0, loopEnd = 0;
    uint8_t volume = 64;
    uint8_t flags = 0;              // 1 loop, 2 stereo, 4 16-bit
    uint8_t pack = 0;
    uint32_t c4Speed = 8363;
};

struct s3mSong_T {
    std::string title;
    std::vector<uint8_t> orders;    // as written, markers 254 and 255 included
    uint8_t channels[S3M_W_CHANNELS];   // settings; the constructor enables 0 to 3 (left, right, right, left)
    bool panTable = false;
    uint8_t pans[S3M_W_CHANNELS] = {};
    uint16_t flags = 0, version = 0x1320, sampleFormat = 1;     // 1 signed, 2 unsigned samples
    uint8_t globalVolume = 64, speed = 6, tempo = 125, masterVolume = 0xB0;
    uint8_t ultraClick = 16;        // Scream Tracker writes 8, 12 or 16
    uint16_t special = 0;
    std::vector<s3mSample_T> samples;
    std::vector<s3mPattern_T> patterns;
    s3mSong_T();
};

std::vector<uint8_t> s3m_write(const s3mSong_T& song);
// 16-bit values as the file's little-endian bytes.
std::vector<uint8_t> s3m_words(const std::vector<int>& values);
