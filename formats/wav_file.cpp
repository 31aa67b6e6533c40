#include "formats/wav_file.h"

#include <cstring>

static void put16(uint8_t* p, uint32_t v) { p[0] = (uint8_t)v; p[1] = (uint8_t)(v >> 8); }
static void put32(uint8_t* p, uint32_t v) { put16(p, v); put16(p + 2, v >> 16); }

static void makeHeader(const wavFile_T* wav, uint8_t h[44])
{
    uint32_t frameBytes = (uint32_t)(wav->channels * wav->bits / 8);
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + wav->dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);   // PCM
    put16(h + 22, (uint32_t)wav->channels);
    put32(h + 24, (uint32_t)wav->rate);
    put32(h + 28, (uint32_t)wav->rate * frameBytes);
    put16(h + 32, frameBytes);
    put16(h + 34, (uint32_t)wav->bits);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, wav->dataBytes);
}

static int start(wavFile_T* wav, FILE* file, int rate, int channels, int bits, bool stream)
{
    wav->file = file;
    wav->dataBytes = stream ? 0xFFFFFFFFu - 36 : 0;
    wav->rate = rate;
    wav->channels = channels;
    wav->bits = bits;
    wav->stream = stream;
    if (!wav->file)
        return -1;
    uint8_t h[44];
    makeHeader(wav, h);
    return std::fwrite(h, 1, 44, wav->file) == 44 ? 0 : -1;
}

int wav_open(wavFile_T* wav, const char* path, int rate, int channels, int bits)
{
    return start(wav, std::fopen(path, "wb"), rate, channels, bits, false);
}

int wav_openStream(wavFile_T* wav, FILE* stream, int rate, int channels, int bits)
{
    return start(wav, stream, rate, channels, bits, true);
}

int wav_write(wavFile_T* wav, const void* data, uint32_t bytes)
{
    if (!wav->file)
        return -1;
    if (!wav->stream)
        wav->dataBytes += bytes;
    return std::fwrite(data, 1, bytes, wav->file) == bytes ? 0 : -1;
}

int wav_close(wavFile_T* wav)
{
    if (!wav->file)
        return -1;
    if (wav->stream) {
        int ok = std::fflush(wav->file) == 0;
        wav->file = nullptr;
        return ok ? 0 : -1;
    }
    uint8_t h[44];
    makeHeader(wav, h);
    int ok = std::fseek(wav->file, 0, SEEK_SET) == 0 && std::fwrite(h, 1, 44, wav->file) == 44;
    ok = (std::fclose(wav->file) == 0) && ok;
    wav->file = nullptr;
    return ok ? 0 : -1;
}
