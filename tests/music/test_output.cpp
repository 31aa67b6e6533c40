// The wave device on the headless sound output, the silent device, and the
// player interface with its slots, errors and background thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp.h"
#include "music/mus.h"
#include "music/output/sd.h"
#include "music/output/sd_wave.h"
#include "music_fixture.h"
#include "platform/backend_headless.h"
#include "platform/clock.h"
#include "platform/sound_out.h"

namespace {

std::vector<uint8_t> captured;
void capture(const uint8_t* data, uint32_t bytes) { captured.insert(captured.end(), data, data + bytes); }

struct Headless {
    Headless()
    {
        pf_setBackend(pf_headlessBackend());
        pf_headlessReset();
        captured.clear();
        mp_startup();
    }
    ~Headless()
    {
        mp_close();
        pf_headlessReset();
    }
};

std::string toneFile()
{
    modSong_T song = fx_toneSong();
    song.patterns[0].cells[0][0] = {428, 1, 0, 0};
    return fx_writeTemp(mod_write(song));
}

TEST(WaveDevice, BlocksAndTicks)
{
    Headless h;
    ASSERT_EQ(mp_init(), 1);
    EXPECT_STREQ(mp_deviceName(), "Windows Wave Sound Device 1.11");
    EXPECT_EQ(waveState.outMode, WAVE_16STEREO);
    EXPECT_EQ(waveState.outRate, 44100);
    EXPECT_EQ(waveState.numBlocks, 33);
    EXPECT_EQ(waveState.blockSize, 2672);
    EXPECT_EQ(waveState.tickLength, 882u);
    EXPECT_EQ(dsmRate, 44100);
    EXPECT_EQ(dsmMode, DSM_16BIT | DSM_STEREO);

    // A tick of 882 frames (3528 bytes) fills block 0 and ends inside block 1.
    int callPlayer = 0;
    wave_startPass();
    ASSERT_EQ(wave_play(&callPlayer), 0);
    EXPECT_EQ(callPlayer, 1);
    EXPECT_EQ(waveState.curBlock, 1);
    EXPECT_EQ(waveState.fillPos, 3528 - 2672);
    EXPECT_EQ(waveState.blocks[0].done.load(), 0);           // queued
    ASSERT_EQ(wave_play(&callPlayer), 0);
    EXPECT_EQ(callPlayer, 1);
    EXPECT_EQ(waveState.curBlock, 2);
    EXPECT_EQ(waveState.fillPos, 2 * 3528 - 2 * 2672);
    // A pass sends at most numBlocks blocks, then stops asking for ticks.
    int ticks = 2;
    while (wave_play(&callPlayer) == 0 && callPlayer)
        ticks++;
    EXPECT_EQ(waveState.blocksThisPass, 33);
    EXPECT_EQ(ticks, 33 * 2672 / 3528);
}

TEST(WaveDevice, FormatFallback)
{
    struct Case { std::vector<int> rates; int outRate; uint32_t tick; };
    const Case cases[] = {{{22050}, 22050, 442}, {{8000, 32000}, 32000, 640}, {{}, 44100, 882}};
    for (const Case& c : cases) {
        Headless h;
        pf_headlessSetAudioRates(c.rates);
        ASSERT_EQ(mp_init(), 1);
        EXPECT_STREQ(mp_deviceName(), "Windows Wave Sound Device 1.11");
        EXPECT_EQ(waveState.outRate, c.outRate);
        EXPECT_EQ(waveState.outMode, WAVE_16STEREO);
        EXPECT_EQ(waveState.tickLength, c.tick);
        EXPECT_EQ(dsmRate, c.outRate);
        ASSERT_NE(pf_audioFormat(), nullptr);
        EXPECT_EQ(pf_audioFormat()->rate, c.outRate);
    }
}

// A refused open reports why, in the player's codes, and leaves nothing open.
TEST(WaveDevice, OpenRefusalsAreTranslated)
{
    struct refusal_T {
        int system;
        int code;
    };
    const refusal_T cases[] = {
        {1, MPERR_UNDEFINED}, {2, MPERR_INVALID_DEVICE}, {3, MPERR_INVALID_DEVICE},
        {4, MPERR_DEVICE_BUSY}, {5, MPERR_INVALID_DEVICE}, {6, MPERR_DEVICE_UNAVAILABLE},
        {7, MPERR_NO_MEMORY}, {8, MPERR_UNSUPPORTED}, {10, MPERR_INVALID_ARGUMENTS},
        {11, MPERR_INVALID_ARGUMENTS}, {12, MPERR_DEVICE_BUSY}, {32, MPERR_UNSUPPORTED_MODE},
        {33, MPERR_DEVICE_BUSY}, {34, MPERR_INVALID_ARGUMENTS}, {35, MPERR_INVALID_DEVICE},
        {99, MPERR_UNDEFINED},
    };
    for (const refusal_T& c : cases) {
        Headless h;
        pf_headlessSetAudioOpenResult(c.system);
        EXPECT_EQ(wave_init(44100, 0), c.code) << "system result " << c.system;
        EXPECT_EQ(waveState.open, 0) << c.system;
        EXPECT_EQ(pf_audioFormat(), nullptr) << c.system;
    }
    Headless h;
    ASSERT_EQ(wave_init(44100, 0), MPERR_OK);
    EXPECT_EQ(waveState.open, 1);
    wave_close();
}

TEST(WaveDevice, SilentDeviceWithoutOutput)
{
    Headless h;
    pf_headlessSetAudioDevices(0);
    ASSERT_EQ(mus_init(), 0);
    EXPECT_STREQ(mp_deviceName(), "Mixing No Sound Sound Device");
    mpModule_T* m = mus_load(toneFile().c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(mus_play(m), 1);
    pf_sleepMs(300);                                         // the virtual clock moves on
    ASSERT_EQ(mp_poll(), 1);
    EXPECT_EQ(dsmChannel[0].status, DSM_PLAYING);            // the module plays, unheard
    EXPECT_EQ(pf_audioFormat(), nullptr);
    EXPECT_EQ(mus_stop(), 0);
    mp_freeModule(m);
}

TEST(Player, SeventeenthModuleIsRefused)
{
    Headless h;
    ASSERT_EQ(mp_init(), 1);
    mpModule_T* m = mp_loadModule(toneFile().c_str());
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(dsm_openChannels(16 * 4), 0);
    for (int i = 1; i <= 16; i++)
        EXPECT_EQ(mp_playModule(m, 1), i);
    EXPECT_EQ(mp_playModule(m, 1), 0);
    EXPECT_EQ(mp_lastError, MPERR_NO_RESOURCES);
    EXPECT_EQ(mp_stopModule(5), 1);
    EXPECT_EQ(mp_playModule(m, 1), 5);                       // the freed slot
    mp_close();
    mp_freeModule(m);
}

TEST(Player, OutOfSoundChannels)
{
    Headless h;
    ASSERT_EQ(mp_init(), 1);
    mpModule_T* m = mp_loadModule(toneFile().c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(mp_playModule(m, 1), 1);                       // opens 4 channels
    EXPECT_EQ(mp_playModule(m, 1), 0);
    EXPECT_EQ(mp_lastError, MPERR_NO_CHANNELS);
    EXPECT_EQ(mp_stopModule(1), 1);
    EXPECT_EQ(mp_playModule(m, 1), 1);                       // its channels came back
    EXPECT_EQ(mp_stopModule(7), 0);
    EXPECT_EQ(mp_lastError, MPERR_NOT_PLAYING);
    mp_close();
    mp_freeModule(m);
}

TEST(Player, MissingModule)
{
    Headless h;
    ASSERT_EQ(mus_init(), 0);
    EXPECT_EQ(mus_load("phased_missing.mod"), nullptr);
    EXPECT_EQ(mp_lastError, MPERR_FILE_NOT_FOUND);
    EXPECT_EQ(mus_stop(), 0);
}

TEST(Player, ErrorMessages)
{
    static std::string reported;
    mp_startup();
    mpSettings.errorHandler = [](const char* text) { reported = text; };
    mp_reportError(MPERR_FILE_NOT_FOUND);
    EXPECT_EQ(reported, "Player Error: File does not exist");
    mp_reportCloseError(MPERR_INVALID_MODULE);
    EXPECT_EQ(reported, "FATAL player uninitialization failure: Invalid module file");
    EXPECT_STREQ(mp_errorMessage(0), "OK");
    EXPECT_STREQ(mp_errorMessage(37), "Out of system resources");
    EXPECT_STREQ(mp_errorMessage(51), "Unsupported sample data format");
    EXPECT_STREQ(mp_errorMessage(52), "Undefined error");
    mp_startup();
}

TEST(PlayerDeathTest, FatalErrorEndsTheProcess)
{
    EXPECT_EXIT(mp_fatalError("Player Error: Invalid pattern data in module"), testing::ExitedWithCode(1),
                "Player Error: Invalid pattern data in module");
}

// The headless sound as the offline renderer would capture it, with the
// player thread running beside the virtual clock.
std::vector<uint8_t> captureRun(const std::string& file, uint32_t ms)
{
    Headless h;
    pf_headlessSetAudioHook(capture);
    EXPECT_EQ(mus_init(), 0);
    mpModule_T* m = mus_load(file.c_str());
    EXPECT_NE(m, nullptr);
    mus_play(m);
    for (uint32_t t = 0; t < ms; t += 50) {
        pf_sleepMs(50);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(mus_stop(), 0);
    mp_freeModule(m);
    return captured;
}

TEST(Player, HeadlessSoundIsGaplessAndRepeatable)
{
    std::string file = toneFile();
    std::vector<uint8_t> a = captureRun(file, 1000);
    std::vector<uint8_t> b = captureRun(file, 1000);
    ASSERT_EQ(a.size(), 44100u * 4);
    EXPECT_EQ(a, b);
    const int16_t* s = (const int16_t*)a.data();
    // Silent until the first row at 100 ms, then never a run of silence.
    for (size_t i = 0; i < 4410; i++)
        ASSERT_EQ(s[2 * i], 0) << i;
    size_t zeros = 0, longest = 0;
    for (size_t i = 4420; i < 44100; i++) {
        zeros = s[2 * i] == 0 ? zeros + 1 : 0;
        longest = std::max(longest, zeros);
    }
    EXPECT_LT(longest, 8u);
}

TEST(Player, StopDuringPlay)
{
    Headless h;
    ASSERT_EQ(mus_init(), 0);
    mpModule_T* m = mus_load(toneFile().c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(mus_play(m), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));   // the player thread fills blocks
    EXPECT_NE(pf_audioFormat(), nullptr);
    EXPECT_EQ(mus_stop(), 0);
    EXPECT_EQ(pf_audioFormat(), nullptr);                         // output closed
    EXPECT_EQ(mp_deviceName(), nullptr);
    EXPECT_EQ(mp_poll(), 1);                                      // nothing left to drive
    mp_freeModule(m);
}

} // namespace
