#pragma once
// A PCM WAV file written as sound arrives; the header's sizes are filled in
// on close. A stream (a pipe, standard output) cannot be rewound: its header
// says the longest length a WAV can have, which readers take as "until the
// end of the data".
#include <cstdint>
#include <cstdio>

struct wavFile_T {
    FILE* file = nullptr;
    uint32_t dataBytes = 0;
    int rate = 0, channels = 0, bits = 0;
    bool stream = false;
};

int wav_open(wavFile_T* wav, const char* path, int rate, int channels, int bits);   // 0 or -1
int wav_openStream(wavFile_T* wav, FILE* stream, int rate, int channels, int bits);   // 0 or -1
int wav_write(wavFile_T* wav, const void* data, uint32_t bytes);                     // 0 or -1
int wav_close(wavFile_T* wav);                                                       // 0 or -1
