#pragma once
// Sound output as a queue of blocks, the way the wave-out services take them:
// the producer queues filled blocks, the output plays them in order and sets
// each block's done flag once it has been consumed. The SDL backend consumes
// from its audio callback; the headless one in step with its virtual clock.
#include <atomic>
#include <cstdint>

#include "platform/backend.h"

struct pfAudioBlock_T {
    uint8_t* data;
    uint32_t length;            // bytes
    std::atomic<int> done;      // 1 once played (or never queued)
    uint32_t consumed;          // bytes already played (output side only)
    pfAudioBlock_T* next;       // queue link (output side only)
};

int pf_audioDevices();                          // number of outputs present
int pf_audioQuery(const pfAudioFormat_T* fmt);  // 1 when accepted
// Results of opening the output, numbered as the wave-out services number
// theirs, so the player can translate them into its own error codes.
enum {
    PF_AUDIO_OK = 0,
    PF_AUDIO_ERROR = 1,            // unspecified
    PF_AUDIO_BAD_DEVICE = 2,       // no such output
    PF_AUDIO_ALLOCATED = 4,        // taken by another program
    PF_AUDIO_NO_DRIVER = 6,        // no output at all
    PF_AUDIO_NO_MEMORY = 7,
    PF_AUDIO_BAD_FORMAT = 32,      // the format is not taken
};
int pf_audioOpen(const pfAudioFormat_T* fmt);   // PF_AUDIO_OK or another PF_AUDIO_ result
void pf_audioWrite(pfAudioBlock_T* block);      // queue; clears done
void pf_audioReset();                           // drop the queue, mark every block done
void pf_audioClose();                           // reset, then close the output

// The headless output asks for more sound when its queue runs dry while the
// virtual clock moves on; the player answers by running a polling pass.
void pf_audioSetRefill(void (*refill)());

// Output side (backends): fill out with bytes of queued sound, silence
// where the queue has none; returns how many bytes were sound. Marks
// finished blocks done.
uint32_t pf_audioConsume(uint8_t* out, uint32_t bytes);
void pf_audioRefill();
const pfAudioFormat_T* pf_audioFormat();   // format of the open output, or null
