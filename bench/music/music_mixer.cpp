// Mixing speed: 4 channels at 44100 Hz, 16-bit stereo, on both numeric
// paths, for 8-bit, 16-bit and mu-law samples, reported as times faster than
// real time ("x_realtime"); then the 8-bit voices through their resonant
// filters, whose extra time over the plain run, divided by 4, is the
// filter's cost per voice; then the high-quality mode's interpolators, the
// sinc one also with the voices three times faster (above the output rate,
// its widened kernel).
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
    std::vector<int16_t> out(kFrames * 2);
    for (auto _ : state) {
        dsm_mix(kFrames, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["x_realtime"] = benchmark::Counter((double)kFrames / 44100.0 * state.iterations(),
                                                      benchmark::Counter::kIsRate);
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
