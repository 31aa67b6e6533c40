// Mixing speed: 4 channels at 44100 Hz, 16-bit stereo, on both numeric
// paths, for 8-bit, 16-bit and mu-law samples, reported as times faster than
// real time ("x_realtime"); then the 8-bit voices through their resonant
// filters, whose extra time over the plain run, divided by 4, is the
// filter's cost per voice; then the high-quality mode's interpolators, the
// sinc one also with the voices three times faster (above the output rate,
// its widened kernel); then 32 voices on loops shorter than one step of
// theirs, which turn at every output frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_module.h"
#include "music/mp_render.h"
#include "music/mp_settings.h"

namespace {

const uint32_t kFrames = 44100;   // one second of sound per iteration

// Mixes a second of sound per iteration; the speed as times real time.
void mixSeconds(benchmark::State& state)
{
    std::vector<int16_t> out(kFrames * 2);
    for (auto _ : state) {
        dsm_mix(kFrames, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["x_realtime"] = benchmark::Counter((double)kFrames / 44100.0 * state.iterations(),
                                                      benchmark::Counter::kIsRate);
}

// Four voices on looping samples at different rates and pannings. A 16-bit
// sample is uploaded as it is or, with muLaw, in the mixer's mu-law form.
void mixFourChannels(benchmark::State& state, int path, int type = DSM_SMP_8BIT, int muLaw = 0,
                     bool filtered = false, int quality = DSM_QUALITY_PLAIN, uint32_t rateScale = 1)
{
    mpSettings.quality = quality;
    dsm_init(44100, DSM_16BIT | DSM_STEREO | path | (quality ? DSM_HQ : 0));
    dsm_openChannels(4);
    int bytesPerFrame = type == DSM_SMP_16BIT ? 2 : 1;
    std::vector<uint8_t> data(8000 * bytesPerFrame);
    for (size_t i = 0; i < 8000; i++) {
        if (type == DSM_SMP_16BIT) {
            int16_t v = (int16_t)(25600 * std::sin(i * 0.07));
            std::memcpy(&data[2 * i], &v, 2);
        } else {
            data[i] = (uint8_t)(128 + 100 * std::sin(i * 0.07));
        }
    }
    mpSettings.muLawSamples = muLaw;
    dsmSampleDesc_T d = {};
    d.data = data.data();
    d.type = type;
    d.length = (uint32_t)data.size();
    d.loopMode = DSM_LOOP_TRACKER;
    d.loop1Start = 1000 * bytesPerFrame;
    d.loop1End = (uint32_t)data.size();
    d.loop1Type = DSM_LT_FORWARD;
    int handle = 0;
    dsm_addSample(&d, 1, &handle);
    mp_defaultSettings();
    const uint32_t rates[4] = {8287, 16574, 11025, 24858};
    const int pans[4] = {-64, 64, 64, -64};
    for (int c = 0; c < 4; c++) {
        dsm_setSample(c, handle);
        dsm_setVolume(c, 48 + 4 * c);
        dsm_setPanning(c, pans[c]);
        dsm_playSound(c, rates[c] * rateScale);
        if (filtered)
            dsm_setFilter(c, 60 + 10 * c, 50);
    }
    mixSeconds(state);
    dsm_removeSample(handle);
    dsm_close();
}

void BM_MixerInteger(benchmark::State& state) { mixFourChannels(state, DSM_INTEGER); }
void BM_MixerFloat(benchmark::State& state) { mixFourChannels(state, DSM_FLOAT); }
BENCHMARK(BM_MixerInteger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerFloat)->Unit(benchmark::kMillisecond);
void BM_Mixer16Integer(benchmark::State& state) { mixFourChannels(state, DSM_INTEGER, DSM_SMP_16BIT); }
void BM_Mixer16Float(benchmark::State& state) { mixFourChannels(state, DSM_FLOAT, DSM_SMP_16BIT); }
void BM_MixerMuLawInteger(benchmark::State& state) { mixFourChannels(state, DSM_INTEGER, DSM_SMP_16BIT, 1); }
void BM_MixerMuLawFloat(benchmark::State& state) { mixFourChannels(state, DSM_FLOAT, DSM_SMP_16BIT, 1); }
BENCHMARK(BM_Mixer16Integer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mixer16Float)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerMuLawInteger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerMuLawFloat)->Unit(benchmark::kMillisecond);
void BM_MixerIntegerFiltered(benchmark::State& state) { mixFourChannels(state, DSM_INTEGER, DSM_SMP_8BIT, 0, true); }
void BM_MixerFloatFiltered(benchmark::State& state) { mixFourChannels(state, DSM_FLOAT, DSM_SMP_8BIT, 0, true); }
BENCHMARK(BM_MixerIntegerFiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerFloatFiltered)->Unit(benchmark::kMillisecond);

void BM_MixerLinear(benchmark::State& state) { mixFourChannels(state, 0, DSM_SMP_8BIT, 0, false, DSM_QUALITY_LINEAR); }
void BM_MixerCubic(benchmark::State& state) { mixFourChannels(state, 0, DSM_SMP_8BIT, 0, false, DSM_QUALITY_CUBIC); }
void BM_MixerSinc(benchmark::State& state) { mixFourChannels(state, 0, DSM_SMP_8BIT, 0, false, DSM_QUALITY_SINC); }
void BM_MixerSinc16(benchmark::State& state) { mixFourChannels(state, 0, DSM_SMP_16BIT, 0, false, DSM_QUALITY_SINC); }
void BM_MixerSincFast(benchmark::State& state) { mixFourChannels(state, 0, DSM_SMP_8BIT, 0, false, DSM_QUALITY_SINC, 3); }
BENCHMARK(BM_MixerLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerCubic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerSinc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerSinc16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixerSincFast)->Unit(benchmark::kMillisecond);

// 32 voices on loops of 2 to 5 frames (forward, and back and forth both
// ways) played 5 to 11 frames a step: every output frame crosses a loop end.
void mixShortLoops(benchmark::State& state, int path, int quality)
{
    mpSettings.quality = quality;
    dsm_init(44100, DSM_16BIT | DSM_STEREO | path | (quality ? DSM_HQ : 0));
    dsm_openChannels(32);
    std::vector<uint8_t> data(64);
    for (size_t i = 0; i < data.size(); i++)
        data[i] = (uint8_t)(128 + 90 * std::sin(i * 1.3));
    const int types[3] = {DSM_LT_FORWARD, DSM_LT_BIDI, DSM_LT_BIDI_REPEAT};
    int handles[12] = {};
    for (int k = 0; k < 12; k++) {
        dsmSampleDesc_T d = {};
        d.data = data.data();
        d.type = DSM_SMP_8BIT;
        d.length = 16 + (uint32_t)k;
        d.loopMode = DSM_LOOP_SINGLE;
        d.loop1Start = 8;
        d.loop1End = 8 + 2 + (uint32_t)k % 4;
        d.loop1Type = types[k % 3];
        dsm_addSample(&d, 1, &handles[k]);
    }
    mp_defaultSettings();
    for (int c = 0; c < 32; c++) {
        dsm_setSample(c, handles[c % 12]);
        dsm_setVolume(c, 40);
        dsm_setPanning(c, c % 2 ? 32 : -32);
        dsm_playSound(c, 44100 * 5 + 37000 * (uint32_t)(c % 8));
        dsm_setPosition(c, 8);
    }
    mixSeconds(state);
    for (int h : handles)
        dsm_removeSample(h);
    dsm_close();
}

void BM_ShortLoopsInteger(benchmark::State& state) { mixShortLoops(state, DSM_INTEGER, DSM_QUALITY_PLAIN); }
void BM_ShortLoopsFloat(benchmark::State& state) { mixShortLoops(state, DSM_FLOAT, DSM_QUALITY_PLAIN); }
void BM_ShortLoopsSinc(benchmark::State& state) { mixShortLoops(state, 0, DSM_QUALITY_SINC); }
BENCHMARK(BM_ShortLoopsInteger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShortLoopsFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShortLoopsSinc)->Unit(benchmark::kMillisecond);

// The demo's module through the whole player (ticks and mixing).
void demoSong(benchmark::State& state, int path)
{
    mpModule_T* m = mp_loadModule((std::string(VARNEK_DATA_DIR) + "/phased.mod").c_str());
    if (!m) {
        state.SkipWithError("phased.mod not generated (build the data target)");
        return;
    }
    mpr_start(m, 44100, path, 1);
    std::vector<int16_t> out(kFrames * 2);
    for (auto _ : state) {
        mpr_render(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["x_realtime"] = benchmark::Counter((double)kFrames / 44100.0 * state.iterations(),
                                                      benchmark::Counter::kIsRate);
    mpr_stop();
    mp_freeModule(m);
}

void BM_DemoSongInteger(benchmark::State& state) { demoSong(state, DSM_INTEGER); }
void BM_DemoSongFloat(benchmark::State& state) { demoSong(state, DSM_FLOAT); }
BENCHMARK(BM_DemoSongInteger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSongFloat)->Unit(benchmark::kMillisecond);

} // namespace
