// One frame of the greetings screen: 2000 particles, the greeting lines and
// the shaken closing picture (elapsed 1041 on), drawn with the generated data.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "effects/greetings/greetings.h"
#include "gfx2d/gbuffer.h"
#include "platform/crand.h"

static void runGreetings(benchmark::State& state, int fromElapsed, int mode)
{
    std::filesystem::current_path(VARNEK_DATA_DIR);
    gbuffer_T work;
    work.init(320, 240);
    crt_srand(342);
    if (greetings_init(&work) != 0) {
        state.SkipWithError("greetings data missing");
        return;
    }
    const int first = 1300;
    greetings_frame(&work, first, mode);
    int elapsed = fromElapsed;
    for (auto _ : state) {
        greetings_frame(&work, first + elapsed, mode);
        elapsed = elapsed >= fromElapsed + 200 ? fromElapsed : elapsed + 1;
        benchmark::DoNotOptimize(work.pixels[0]);
    }
    greetings_release();
}

// The fountain phase with lines on their springs.
static void BM_GreetingsFrameFountain(benchmark::State& state)
{
    runGreetings(state, 100, 1);
}
BENCHMARK(BM_GreetingsFrameFountain)->Unit(benchmark::kMicrosecond);

// The chase phase with the closing picture's three blits, the heaviest frames.
static void BM_GreetingsFrameClosing(benchmark::State& state)
{
    runGreetings(state, 1041, 0);
}
BENCHMARK(BM_GreetingsFrameClosing)->Unit(benchmark::kMicrosecond);
