// One frame of the sand effect with its 8000 grains in the middle of the
// demo's own script (the name standing out of the dunes, sand streaming):
// the grain step, the grain drawing and the copy to the headless display.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include "effects/sand/sand_effect.h"
#include "engine/engine.h"
#include "platform/backend_headless.h"
#include "platform/crand.h"
#include "platform/display.h"
#include "platform/main_thread.h"
#include "platform/messages.h"

namespace {
// The effect after `frames` frames of the demo's script, or null when the
// data cannot be found.
sandEffect_T* sandAfter(int frames)
{
    pf_headlessReset();
    pf_setBackend(pf_headlessBackend());
    pf_mainThreadInit();
    pf_queueOpen();
    dd_create();
    dd_setMode(1);
    if (chdir(VARNEK_DATA_DIR) != 0)
        return nullptr;
    crt_srand(1);
    sandEffect_T* effect = new sandEffect_T();
    effect->openScript();
    for (int i = 0; i < frames; i++)
        effect->step();
    return effect;
}

void sandRelease(sandEffect_T* effect)
{
    delete effect;
    dd_close();
    pf_queueClose();
}
}

// Argument 1: with the copy to the display; 0: the grain step and drawing alone.
static void BM_SandFrame(benchmark::State& state)
{
    sandEffect_T* effect = sandAfter(1100);
    if (!effect || effect->sandState == SAND_FINISHED) {
        state.SkipWithError("no sand data: build the data target first");
        return;
    }
    const bool present = state.range(0) != 0;
    for (auto _ : state) {
        effect->simulate();
        effect->drawGrains();
        if (present)
            effect->present();
        benchmark::DoNotOptimize(effect->frameImage);
    }
    state.counters["moves"] = effect->movedCount;
    sandRelease(effect);
}
BENCHMARK(BM_SandFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
