// The sound output in a page: the page's Web Audio callback pulls the wave
// device's queued blocks as floats, at the rate of the page's audio context.
// It also counts what it played, so a test can hear the page.
#include <emscripten.h>

#include <atomic>
#include <cmath>

#include "platform/backend_web.h"
#include "platform/sound_out.h"

namespace {
constexpr int MAX_PULL = 16384;   // frames per callback at most
std::atomic<int> contextRate{0};  // 0 until the page has an audio context

// The browser's thread only.
uint8_t pulled[MAX_PULL * 4];
double framesPlayed = 0;
double sumSquares = 0;

float sampleAt(const uint8_t* p, int bits)
{
    if (bits == 8)
        return (float)((int)p[0] - 128) / 128.0f;
    return (float)(int16_t)(p[0] | p[1] << 8) / 32768.0f;
}
}

int pf_webAudioDevices() { return contextRate.load() > 0 ? 1 : 0; }

int pf_webAudioQuery(const pfAudioFormat_T* fmt)
{
    // The context plays one rate; the player tries its rates until one fits.
    return contextRate.load() > 0 && fmt->rate == contextRate.load() && (fmt->bits == 8 || fmt->bits == 16) &&
           (fmt->channels == 1 || fmt->channels == 2);
}

int pf_webAudioOpen(const pfAudioFormat_T* fmt) { return pf_webAudioQuery(fmt) ? PF_AUDIO_OK : PF_AUDIO_BAD_FORMAT; }
void pf_webAudioClose() {}

// Called by the page.
extern "C" {
// The rate of the page's audio context, before the demo starts; 0: none.
EMSCRIPTEN_KEEPALIVE void pf_webSetAudioRate(int rate) { contextRate = rate; }

// Fill `frames` frames of the two channels with queued sound, silence where
// there is none; returns how many frames were sound.
EMSCRIPTEN_KEEPALIVE int pf_webAudioPull(float* left, float* right, int frames)
{
    const pfAudioFormat_T* fmt = pf_audioFormat();
    if (frames > MAX_PULL)
        frames = MAX_PULL;
    if (!fmt) {
        for (int i = 0; i < frames; i++)
            left[i] = right[i] = 0.0f;
        return 0;
    }
    const int sampleBytes = fmt->bits / 8;
    const int frameBytes = sampleBytes * fmt->channels;
    const int sound = (int)(pf_audioConsume(pulled, (uint32_t)(frames * frameBytes)) / (uint32_t)frameBytes);
    for (int i = 0; i < frames; i++) {
        const uint8_t* p = pulled + i * frameBytes;
        left[i] = sampleAt(p, fmt->bits);
        right[i] = fmt->channels == 2 ? sampleAt(p + sampleBytes, fmt->bits) : left[i];
        if (i < sound)
            sumSquares += (double)left[i] * left[i] + (double)right[i] * right[i];
    }
    framesPlayed += sound;
    return sound;
}

// Frames of sound played so far, and their loudness (root mean square of
// every sample, full scale 1).
EMSCRIPTEN_KEEPALIVE double pf_webAudioFrames() { return framesPlayed; }
EMSCRIPTEN_KEEPALIVE double pf_webAudioRms() { return framesPlayed > 0 ? std::sqrt(sumSquares / (2 * framesPlayed)) : 0.0; }
}
