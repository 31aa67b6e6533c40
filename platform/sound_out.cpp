// The block queue between the sound producer (the player thread) and the
// output (the SDL audio callback, or the headless clock). The queue mutex
// is the only lock the output side takes; it never calls the producer
// except through the refill hook, and only from the headless clock.
#include "platform/sound_out.h"

#include <cstring>
#include <mutex>

namespace {
std::mutex queueMutex;
pfAudioBlock_T* head = nullptr;
pfAudioBlock_T* tail = nullptr;
bool isOpen = false;
pfAudioFormat_T openFormat;
void (*refillHook)() = nullptr;
}

int pf_audioDevices() { return pf_backend()->audioDevices(); }
int pf_audioQuery(const pfAudioFormat_T* fmt) { return pf_backend()->audioQuery(fmt); }

int pf_audioOpen(const pfAudioFormat_T* fmt)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        head = tail = nullptr;
        openFormat = *fmt;
        isOpen = true;
    }
    int result = pf_backend()->audioOpen(fmt);
    if (result != PF_AUDIO_OK) {
        std::lock_guard<std::mutex> lock(queueMutex);
        isOpen = false;
    }
    return result;
}

void pf_audioWrite(pfAudioBlock_T* block)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    block->done = 0;
    block->consumed = 0;
    block->next = nullptr;
    if (tail)
        tail->next = block;
    else
        head = block;
    tail = block;
}

void pf_audioReset()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    for (pfAudioBlock_T* b = head; b; b = b->next)
        b->done = 1;
    head = tail = nullptr;
}

void pf_audioClose()
{
    pf_audioReset();
    bool wasOpen;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        wasOpen = isOpen;
        isOpen = false;
    }
    if (wasOpen)
        pf_backend()->audioClose();
}

void pf_audioSetRefill(void (*refill)())
{
    std::lock_guard<std::mutex> lock(queueMutex);
    refillHook = refill;
}

void pf_audioRefill()
{
    void (*hook)();
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        hook = isOpen ? refillHook : nullptr;
    }
    if (hook)
        hook();
}

const pfAudioFormat_T* pf_audioFormat()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return isOpen ? &openFormat : nullptr;
}

namespace {
// Copies queued sound, marking finished blocks done; the caller holds the lock.
uint32_t consumeLocked(uint8_t* out, uint32_t bytes)
{
    uint32_t copied = 0;
    while (copied < bytes && head) {
        uint32_t n = head->length - head->consumed;
        if (n > bytes - copied)
            n = bytes - copied;
        std::memcpy(out + copied, head->data + head->consumed, n);
        copied += n;
        head->consumed += n;
        if (head->consumed >= head->length) {
            pfAudioBlock_T* finished = head;
            head = head->next;
            if (!head)
                tail = nullptr;
            finished->done = 1;
        }
    }
    return copied;
}
}

uint32_t pf_audioConsume(uint8_t* out, uint32_t bytes)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    uint32_t copied = consumeLocked(out, bytes);
    // What the queue could not give is silence of the format being played.
    std::memset(out + copied, openFormat.bits == 8 ? 0x80 : 0, bytes - copied);
    return copied;
}
