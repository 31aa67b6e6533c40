// The wave output device: the mixer's sound goes to the platform's sound
// output through a ring of fixed-size blocks. No thread of its own: each
// polling pass refills the blocks the output has finished with, stopping
// whenever the module player must advance by one tick.
//
// Locking: every entry point below is called with the player's critical
// section held (mp_player.cpp); the device's own mutex guards its state as
// well. The output side (the SDL audio callback or the headless clock) never
// touches this state: it only reads the blocks queued with pf_audioWrite and
// sets their done flags.
#include "music/output/sd_wave.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"
#include "music/mp_settings.h"
#include "music/output/sd.h"

waveState_T waveState;
static std::recursive_mutex waveLock;

static const int waveFormats[4] = {WAVE_16STEREO, WAVE_16MONO, WAVE_8STEREO, WAVE_8MONO};
static const int waveRates[7] = {44100, 37800, 32000, 22050, 16000, 11025, 8000};

static pfAudioFormat_T formatOf(int outMode, int rate)
{
    pfAudioFormat_T f;
    f.rate = rate;
    f.channels = (outMode == WAVE_8STEREO || outMode == WAVE_16STEREO) ? 2 : 1;
    f.bits = outMode >= WAVE_16MONO ? 16 : 8;
    return f;
}

int wave_detect(int* present)
{
    *present = pf_audioDevices() != 0;
    return MPERR_OK;
}

// The requested format if the output takes it, else the first accepted pair
// from the requested format down, highest rate first.
static void chooseFormat(int* outMode, int* rate)
{
    pfAudioFormat_T f = formatOf(*outMode, *rate);
    if (pf_audioQuery(&f))
        return;
    int first = 0;
    while (first < 3 && waveFormats[first] != *outMode)
        first++;
    for (int i = first; i < 4; i++)
        for (int r : waveRates) {
            f = formatOf(waveFormats[i], r);
            if (pf_audioQuery(&f)) {
                *outMode = waveFormats[i];
                *rate = r;
                return;
            }
        }
}

static void freeBlocks()
{
    delete[] waveState.blocks;
    delete[] waveState.blockData;
    waveState.blocks = nullptr;
    waveState.blockData = nullptr;
}

int wave_translateResult(int system)
{
    switch (system) {
    case 0: return MPERR_OK;
    case 2: case 3: case 5: case 35: return MPERR_INVALID_DEVICE;
    case 4: case 12: case 33: return MPERR_DEVICE_BUSY;
    case 6: return MPERR_DEVICE_UNAVAILABLE;
    case 7: return MPERR_NO_MEMORY;
    case 8: return MPERR_UNSUPPORTED;
    case 10: case 11: case 34: return MPERR_INVALID_ARGUMENTS;
    case 32: return MPERR_UNSUPPORTED_MODE;
    default: return MPERR_UNDEFINED;   // 1, and anything unknown
    }
}

static int openOutput()
{
    pfAudioFormat_T f = formatOf(waveState.outMode, waveState.outRate);
    int code = wave_translateResult(pf_audioOpen(&f));
    if (code != MPERR_OK)
        return code;
    waveState.open = 1;
    return MPERR_OK;
}

static void closeOutput()
{
    if (!waveState.open)
        return;
    pf_audioReset();
    // The output marks every dropped block done; give it a bounded time.
    for (int tries = 0; tries < 50; tries++) {
        bool allDone = true;
        for (int b = 0; b < waveState.numBlocks; b++)
            allDone = allDone && waveState.blocks[b].done;
        if (allDone)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pf_audioClose();
    waveState.open = 0;
}

int wave_init(int rate, int mode)
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    waveState = waveState_T{};
    int outMode = (mode & 4) ? ((mode & 1) ? WAVE_8MONO : WAVE_8STEREO) : ((mode & 1) ? WAVE_16MONO : WAVE_16STEREO);
    chooseFormat(&outMode, &rate);
    waveState.outMode = outMode;
    waveState.outRate = rate;
    static const int mixerModes[4] = {DSM_8BIT | DSM_MONO, DSM_8BIT | DSM_STEREO, DSM_16BIT | DSM_MONO, DSM_16BIT | DSM_STEREO};
    int index = outMode == WAVE_8MONO ? 0 : outMode == WAVE_8STEREO ? 1 : outMode == WAVE_16MONO ? 2 : 3;
    waveState.bytesPerFrame = (index & 1 ? 2 : 1) * (index >= 2 ? 2 : 1);

    int code = openOutput();
    if (code != MPERR_OK)
        return code;
    int bufferLength = mpSettings.bufferLength;
    waveState.numBlocks = bufferLength / 15 < 1 ? 1 : bufferLength / 15 > WAVE_MAX_BLOCKS ? WAVE_MAX_BLOCKS : bufferLength / 15;
    waveState.blockSize = (rate * waveState.bytesPerFrame * bufferLength / 1000 / waveState.numBlocks + 15) & ~15;
    waveState.blocks = new (std::nothrow) pfAudioBlock_T[waveState.numBlocks];
    waveState.blockData = new (std::nothrow) uint8_t[(size_t)waveState.numBlocks * waveState.blockSize]();
    if (!waveState.blocks || !waveState.blockData) {
        closeOutput();
        freeBlocks();
        return MPERR_NO_MEMORY;
    }
    for (int b = 0; b < waveState.numBlocks; b++) {
        pfAudioBlock_T& blk = waveState.blocks[b];
        blk.data = waveState.blockData + (size_t)b * waveState.blockSize;
        blk.length = (uint32_t)waveState.blockSize;
        blk.done = 1;
        blk.consumed = 0;
        blk.next = nullptr;
    }
    // The player's quality setting adds the mixer's high-quality mode.
    code = dsm_init(rate, mixerModes[index] | (mpSettings.quality != DSM_QUALITY_PLAIN ? DSM_HQ : 0));
    if (code != MPERR_OK) {
        closeOutput();
        freeBlocks();
        return code;
    }
    return wave_setTickRate(5000);
}

int wave_close()
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    dsm_close();
    if (!waveState.paused)
        closeOutput();
    freeBlocks();
    waveState.numBlocks = 0;
    return MPERR_OK;
}

int wave_startPass()
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    waveState.blocksThisPass = 0;
    return MPERR_OK;
}

int wave_play(int* callPlayer)
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    *callPlayer = 0;
    if (waveState.paused || !waveState.blocks)
        return MPERR_OK;
    for (;;) {
        pfAudioBlock_T& blk = waveState.blocks[waveState.curBlock];
        if (!blk.done || waveState.blocksThisPass >= waveState.numBlocks)
            return MPERR_OK;
        uint32_t n = (uint32_t)(waveState.blockSize - waveState.fillPos) / waveState.bytesPerFrame;
        if (n > waveState.untilTick)
            n = waveState.untilTick;
        dsm_mix(n, blk.data + waveState.fillPos);
        waveState.fillPos += (int)n * waveState.bytesPerFrame;
        waveState.untilTick -= n;
        if (waveState.fillPos >= waveState.blockSize) {
            pf_audioWrite(&blk);
            waveState.curBlock = (waveState.curBlock + 1) % waveState.numBlocks;
            waveState.fillPos = 0;
            waveState.blocksThisPass++;
        }
        if (waveState.untilTick == 0) {
            waveState.untilTick = waveState.tickLength;
            *callPlayer = 1;
            return MPERR_OK;
        }
    }
}

uint32_t sd_tickLength(uint32_t outRate, uint32_t tickRate)
{
    return (outRate * 100 / tickRate + 1) & ~1u;
}

int wave_setTickRate(uint32_t rate)
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    if (rate == 0)
        return MPERR_INVALID_ARGUMENTS;
    waveState.tickLength = waveState.untilTick = sd_tickLength((uint32_t)waveState.outRate, rate);
    return MPERR_OK;
}

int wave_pause()
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    closeOutput();
    waveState.paused = 1;
    return MPERR_OK;
}

int wave_resume()
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    int code = openOutput();
    if (code == MPERR_OK)
        waveState.paused = 0;
    return code;
}

int wave_getMode(int* mode)
{
    *mode = waveState.outMode;
    return MPERR_OK;
}

void wave_flush()
{
    std::lock_guard<std::recursive_mutex> lock(waveLock);
    if (!waveState.open)
        return;
    pf_audioReset();
    waveState.curBlock = 0;
    waveState.fillPos = 0;
    waveState.untilTick = 0;        // the next pass runs a player tick first
}

const sdDevice_T sdWaveDevice = {
    "Windows Wave Sound Device 1.11",
    wave_detect, wave_init, wave_close, wave_startPass, wave_play, wave_setTickRate,
};
