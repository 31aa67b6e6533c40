// One frame of the credits screen with its 130 particles, drawn with the
// generated credits font, in the middle of its run (names scrolling).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "effects/credits/credits.h"
#include "gfx2d/gbuffer.h"
#include "platform/crand.h"

static void BM_CreditsFrame(benchmark::State& state)
{
    std::filesystem::current_path(VARNEK_DATA_DIR);
    gbuffer_T work;
    work.init(320, 240);
    crt_srand(342);
    credits_init(&work);
    int frame = 1;
    for (; frame < 300; frame++)
        credits_frame(&work, frame);
    for (auto _ : state) {
        credits_frame(&work, frame);
        // Stay among the busy frames: names, headings and the swarm.
        frame = frame >= 580 ? 300 : frame + 1;
        benchmark::DoNotOptimize(work.pixels[0]);
    }
    credits_release();
}
BENCHMARK(BM_CreditsFrame)->Unit(benchmark::kMicrosecond);
