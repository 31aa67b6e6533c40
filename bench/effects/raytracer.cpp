// One frame of the ray tracer as the effect runs it: fade, animate, trace
// with the screen subdivision, and double the image onto a 16-bit surface.
#include <benchmark/benchmark.h>

#include <vector>

#include "effects/raytracer/ray_scene.h"
#include "effects/raytracer/ray_trace.h"
#include "effects/raytracer/ray_upscale.h"
#include "platform/display.h"

static void BM_RayFrame(benchmark::State& state) {
    redBits = 5; redShift = 11; greenBits = 6; greenShift = 5; blueBits = 5; blueShift = 0;
    std::vector<uint16_t> surface(320 * 240);
    ray_createSpheres();
    ray_buildRamps();
    rayClock = 0.0;
    const int32_t all[RAY_SPHERES] = {1, 1, 1};
    int64_t frames = 0, rays = 0;
    for (auto _ : state) {
        // The 140 frames of the effect, over and over.
        if (frames % 140 == 0)
            rayClock = 0.0;
        ray_fadeImage();
        ray_animate();
        rayCount = 0;
        traceCell(0, 0, RAY_W, RAY_H, 0, all);
        upscale2x(surface.data(), 320);
        benchmark::DoNotOptimize(surface.data());
        frames++;
        rays += rayCount;
    }
    state.counters["rayCount"] = benchmark::Counter((double)rays / (double)frames);
}
BENCHMARK(BM_RayFrame)->Unit(benchmark::kMicrosecond);

// The trace alone at the first frame's positions.
static void BM_RayTraceFirstFrame(benchmark::State& state) {
    ray_createSpheres();
    ray_buildRamps();
    rayClock = 0.0;
    ray_animate();
    const int32_t all[RAY_SPHERES] = {1, 1, 1};
    for (auto _ : state) {
        rayCount = 0;
        traceCell(0, 0, RAY_W, RAY_H, 0, all);
        benchmark::DoNotOptimize(rayImage);
    }
    state.counters["rayCount"] = rayCount;
}
BENCHMARK(BM_RayTraceFirstFrame)->Unit(benchmark::kMicrosecond);
