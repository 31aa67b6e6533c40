#pragma once
// The headless backend: no window, no sound card. A virtual clock moves
// exactly 1/60 s per presented frame and by the requested time on a sleep;
// scripted events reach the main thread at given frames; every presented
// frame and every consumed piece of sound is handed to hooks (the offline
// renderer writes them to PNG and WAV files). Two runs give identical output.
#include <cstdint>
#include <vector>

#include "platform/backend.h"

struct pfScriptedEvent_T {
    uint32_t frame;    // delivered right after this many frames were presented
    pfEvent_T event;
};

const pfBackend_T* pf_headlessBackend();

// Configure before the run starts.
void pf_headlessReset();
void pf_headlessSetScript(const std::vector<pfScriptedEvent_T>& events);
void pf_headlessSetFrameHook(void (*hook)(uint32_t frame, const uint16_t* pixels, int pitch, int format));
// Once per 1/60 s of virtual time, the picture on screen at that moment
// (frames stand still while the engine sleeps): a real-time video.
void pf_headlessSetVideoHook(void (*hook)(uint32_t videoFrame, const uint16_t* pixels, int pitch, int format));
void pf_headlessSetAudioHook(void (*hook)(const uint8_t* data, uint32_t bytes));
void pf_headlessSetAudioDevices(int count);
// Every open of the output fails with this PF_AUDIO_ result (PF_AUDIO_OK: none).
void pf_headlessSetAudioOpenResult(int result);
// Formats the virtual sound card accepts: a rate of 0 accepts every rate.
void pf_headlessSetAudioRates(const std::vector<int>& rates);

uint32_t pf_headlessMessageBoxes();   // message boxes "shown" so far
int pf_headlessFullScreen();          // what the window was last set to
uint64_t pf_headlessClock();          // virtual time in 1/60000 s
