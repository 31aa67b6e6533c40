// The blit inner loops: a full-screen blit per mode and the particle-sized
// additive sprite the text screens draw by the thousand.
#include <benchmark/benchmark.h>

#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"

static void BM_BlitFullScreen(benchmark::State& state)
{
    int mode = (int)state.range(0);
    gbuffer_T src, dst;
    src.init(320, 240);
    dst.init(320, 240);
    for (uint32_t i = 0; i < src.pixelCount; i++)
        src.pixels[i] = (i * 2654435761u) & 0xFFFFFF;
    for (auto _ : state) {
        gpl_blit(GPL_CLIP_DEST, mode, 320, 240, &dst, 0, 0, &src, 0, 0, &dst, 0, 0);
        benchmark::DoNotOptimize(dst.pixels[7]);
    }
    state.SetItemsProcessed(state.iterations() * 320 * 240);
}
BENCHMARK(BM_BlitFullScreen)->Arg(GPL_COPY)->Arg(GPL_KEYED)->Arg(GPL_ADD)->Arg(GPL_SUB)->Arg(GPL_AVERAGE);

static void BM_BlitSprite5x5(benchmark::State& state)
{
    gbuffer_T sprite, dst;
    sprite.init(5, 5);
    sprite.fill(0, 220, 0);
    dst.init(320, 240);
    int x = 0;
    for (auto _ : state) {
        gpl_blit(GPL_CLIP_DEST, GPL_ADD, 5, 5, &dst, x, 100, &sprite, 0, 0, &dst, x, 100);
        x = x >= 318 ? -3 : x + 1;
    }
    benchmark::DoNotOptimize(dst.pixels[100 * 320]);
}
BENCHMARK(BM_BlitSprite5x5);
