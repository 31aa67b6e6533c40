// One frame of the palette tunnel in the timeline's mode: palette rotation,
// the table lookups into the 320 x 240 image and its conversion to 16 bits.
#include <benchmark/benchmark.h>

#include <vector>

#include "effects/tunnel/tunnel_frame.h"
#include "effects/tunnel/tunnel_texture.h"
#include "platform/display.h"

static void BM_TunnelFrame(benchmark::State& state) {
    redBits = 5; redShift = 11; greenBits = 6; greenShift = 5; blueBits = 5; blueShift = 0;
    std::vector<uint16_t> surface(320 * 240);
    tunnel_buildTables();
    tunnel_build(2);
    slideOffset = 0;   // full width, as from frame 41 on
    int32_t a = 0, d = 0;
    for (auto _ : state) {
        tunnel_rotatePalette();
        a -= 4;
        d -= 4;
        tunnel_drawImage(a, d);
        tunnel_present(surface.data(), 320);
        benchmark::DoNotOptimize(surface.data());
    }
}
BENCHMARK(BM_TunnelFrame)->Unit(benchmark::kMicrosecond);

// The start of the effect: tables and the mode 2 texture with its blurs.
static void BM_TunnelSetUp(benchmark::State& state) {
    for (auto _ : state) {
        tunnel_buildTables();
        tunnel_build(2);
        benchmark::DoNotOptimize(tunnelTexture);
    }
}
BENCHMARK(BM_TunnelSetUp)->Unit(benchmark::kMillisecond);
