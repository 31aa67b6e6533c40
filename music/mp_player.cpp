// The player's operations: device choice, module slots and channels, and
// the polling pass.
//
// One critical section, mpLock, serialises every operation here and in
// mp_thread.cpp against the polling pass, so a module is never started,
// stopped or closed in the middle of mixing. What runs under it: the module
// player (gmp_*), the mixer (dsm_*) and the device (sdCurrent). The audio
// output side (SDL callback, headless clock) never takes it: it only reads
// queued blocks and sets their done flags; the headless clock's refill hook
// calls mp_poll, which takes mpLock like any other pass.
#include <mutex>

#include "music/core/gmp.h"
#include "music/rules/rules.h"
#include "music/mixer/dsm.h"
#include "music/mp.h"
#include "music/mp_player.h"
#include "music/output/sd.h"
#include "music/output/sd_wave.h"
#include "platform/sound_out.h"

std::recursive_mutex mpLock;
int mpInitialised;
std::atomic<int> mpStopRequest;
static bool mpChannelTaken[(MP_MAX_CHANNELS + MP_BACKGROUND_VOICES) * MP_MAX_PLAYING];   // sound channels reserved by a module
static gmpPlayState_T* playingModules[MP_MAX_PLAYING];

static void refillFromOutput()
{
    if (!mp_poll())
        mp_reportError(mp_lastError);
}

static int fail(int32_t code)
{
    mp_lastError = code;
    return 0;
}

int mp_startup()
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    mp_defaultSettings();
    mp_lastError = MPERR_OK;
    mpInitialised = 0;
    mpStopRequest = 0;
    return 1;
}

int mp_init()
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    static const sdDevice_T* const devices[2] = {&sdWaveDevice, &sdNoSoundDevice};
    int mode = mpSettings.outputMode;
    const sdDevice_T* chosen = nullptr;
    if (mpSettings.forcedDevice >= 1 && mpSettings.forcedDevice <= 2) {
        chosen = devices[mpSettings.forcedDevice - 1];
    } else {
        for (const sdDevice_T* d : devices) {
            int present = 0;
            if (d->detect(&present) == MPERR_OK && present) {
                chosen = d;
                break;
            }
        }
    }
    if (!chosen)
        return fail(MPERR_HARDWARE);
    int code = chosen->init(mpSettings.mixRate, mode);
    // A sound output that cannot be opened leaves the silent device: the
    // demo still runs and the module still plays, unheard.
    if (code != MPERR_OK && chosen != &sdNoSoundDevice) {
        chosen = &sdNoSoundDevice;
        code = chosen->init(mpSettings.mixRate, mode);
    }
    if (code != MPERR_OK)
        return fail(code);
    sdCurrent = chosen;
    dsmSeparation = mpSettings.separation;
    for (bool& t : mpChannelTaken)
        t = false;
    if (chosen == &sdWaveDevice)
        pf_audioSetRefill(refillFromOutput);
    mpInitialised = 1;
    return 1;
}

const char* mp_deviceName()
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    return sdCurrent ? sdCurrent->name : nullptr;
}

int mp_deviceIsSilent()
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    return sdCurrent == &sdNoSoundDevice;
}

int mp_poll()
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    if (!sdCurrent)
        return 1;
    int code = sdCurrent->startPass();
    while (code == MPERR_OK) {
        int callPlayer = 0;
        code = sdCurrent->play(&callPlayer);
        if (code != MPERR_OK || !callPlayer)
            break;
        code = gmp_tick();
        if (mpStopRequest)
            break;
    }
    return code == MPERR_OK ? 1 : fail(code);
}

static void releaseChannels(const int* channels, int n)
{
    for (int i = 0; i < n; i++)
        mpChannelTaken[channels[i]] = false;
}

int mp_playModule(mpModule_T* module, int loop)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    if (!mpInitialised)
        return fail(MPERR_INVALID_DEVICE);
    if (!module)
        return fail(MPERR_INVALID_ARGUMENTS);
    int slot = 0;
    while (slot < MP_MAX_PLAYING && playingModules[slot])
        slot++;
    if (slot == MP_MAX_PLAYING)
        return fail(MPERR_NO_RESOURCES);
    bool first = true;
    for (gmpPlayState_T* p : playingModules)
        first = first && !p;
    // Nothing plays: a module after another (a player's next song) may need
    // more channels than the one before opened.
    if (dsmChannelsOpen && first && dsmChannels < gmp_soundChannelsNeeded(module)) {
        int code = dsm_closeChannels();
        if (code != MPERR_OK)
            return fail(code);
    }
    if (!dsmChannelsOpen) {
        int code = dsm_openChannels(gmp_soundChannelsNeeded(module));
        if (code != MPERR_OK)
            return fail(code);
        for (bool& t : mpChannelTaken)
            t = false;
    }
    int channels[MP_MAX_CHANNELS + MP_BACKGROUND_VOICES];
    int needed = gmp_soundChannelsNeeded(module);
    for (int c = 0; c < needed; c++) {
        int s = 0;
        int most = (int)(sizeof mpChannelTaken / sizeof mpChannelTaken[0]);
        int open = dsmChannels < most ? dsmChannels : most;
        while (s < open && mpChannelTaken[s])
            s++;
        if (s == open) {
            releaseChannels(channels, c);
            return fail(MPERR_NO_CHANNELS);
        }
        mpChannelTaken[s] = true;
        channels[c] = s;
    }
    gmpPlayState_T* state = nullptr;
    int code = gmp_play(module, gmp_rulesOf(module), -1, -1, -1, loop, slot, channels, &state);
    if (code != MPERR_OK) {
        releaseChannels(channels, needed);
        return fail(code);
    }
    playingModules[slot] = state;
    // Nothing else plays: drop the silence queued ahead so the module is
    // heard at once (and starts at the same point of the sound every run).
    if (first && sdCurrent == &sdWaveDevice)
        wave_flush();
    return slot + 1;
}

int mp_stopModule(int handle)
{
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    if (handle < 1 || handle > MP_MAX_PLAYING || !playingModules[handle - 1])
        return fail(MPERR_NOT_PLAYING);
    gmpPlayState_T* st = playingModules[handle - 1];
    for (int c = 0; c < st->numChannels; c++)
        mpChannelTaken[st->channels[c].soundChannel] = false;
    int background[MP_BACKGROUND_VOICES];
    releaseChannels(background, gmp_backgroundChannels(st, background));
    playingModules[handle - 1] = nullptr;
    int code = gmp_stop(st);
    return code == MPERR_OK ? 1 : fail(code);
}

int mp_close()
{
    mp_stopBackgroundPlay();
    std::lock_guard<std::recursive_mutex> lock(mpLock);
    for (int h = 1; h <= MP_MAX_PLAYING; h++)
        if (playingModules[h - 1] && !mp_stopModule(h))
            mp_reportCloseError(mp_lastError);
    if (dsmChannelsOpen) {
        int code = dsm_closeChannels();
        if (code != MPERR_OK)
            mp_reportCloseError(code);
    }
    if (sdCurrent) {
        if (sdCurrent == &sdWaveDevice)
            pf_audioSetRefill(nullptr);
        int code = sdCurrent->close();
        sdCurrent = nullptr;
        if (code != MPERR_OK)
            mp_reportCloseError(code);
    }
    mpInitialised = 0;
    return 1;
}
