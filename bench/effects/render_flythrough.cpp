// r3d_render on the frames of the fly-through path, from the generated
// terrain and textures, into a plain 320 x 240 buffer: per frame the octree
// walk, transform and projection, the stars, the sort and the shaded
// textured fill of mode 4, and the statistics line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <vector>

#include "effects/flythrough/flythrough.h"
#include "engine/engine.h"
#include "geometry/spline.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/log.h"
#include "platform/main_thread.h"
#include "platform/messages.h"
#include "render/r3d_render.h"
#include "render/r3d_scene.h"
#include "render/r3d_tex.h"

namespace {

constexpr int PATH_FRAMES = 333;   // 0.003 per frame up to 1.0

struct benchFly_T {
    scene_T* scene = nullptr;
    spline_T* path = nullptr;
    std::vector<uint16_t> surface = std::vector<uint16_t>(320 * 240);
};

benchFly_T& fly()
{
    static benchFly_T f;
    if (!f.scene) {
        // The display of the headless backend gives the textures their
        // 5-6-5 format, as on a real start.
        pf_setBackend(pf_headlessBackend());
        pf_mainThreadInit();
        pf_queueOpen();
        con_init();
        dd_create();
        dd_setMode(1);
        const std::filesystem::path oldDir = std::filesystem::current_path();
        std::error_code ec;
        std::filesystem::current_path(VARNEK_DATA_DIR, ec);
        r3d_loadTextures();
        f.scene = r3d_loadScene("PLAYApr.MAC");
        std::filesystem::current_path(oldDir, ec);
        f.path = fly_makePath();
        use3dfx = 0;
        renderMode = 4;
    }
    surfacePixels = f.surface.data();
    surfacePitch = 320;
    return f;
}

// This thread's CPU time in milliseconds: on a shared machine the wall
// clock also counts the time other processes held the core.
double threadMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double)ts.tv_sec * 1e3 + (double)ts.tv_nsec * 1e-6;
}

// Every frame of the path in turn; the benchmark's time is the mean per
// frame, the counters give the median and the slowest frame in CPU time,
// and the triangles drawn and examined per frame.
void BM_renderPath(benchmark::State& state)
{
    benchFly_T& f = fly();
    if (!f.scene || f.scene->triangleCount == 0) {
        state.SkipWithError("no terrain: build the data target first");
        return;
    }
    std::vector<double> ms;
    double visible = 0, examined = 0;
    int frame = 0;
    for (auto _ : state) {
        float t = 0.003f * (float)frame;
        fly_aimCamera(*f.path, t);
        frameStamp++;
        double start = threadMs();
        r3d_render(f.scene, &flyCamera);
        ms.push_back(threadMs() - start);
        visible += visibleTriCount;
        examined += trianglesDrawn;
        frame = (frame + 1) % PATH_FRAMES;
        benchmark::DoNotOptimize(f.surface.data());
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["max_ms"] = ms.back();
    state.counters["tris_drawn"] = visible / (double)ms.size();
    state.counters["tris_examined"] = examined / (double)ms.size();
}
BENCHMARK(BM_renderPath)->Unit(benchmark::kMillisecond)->Iterations(3 * PATH_FRAMES);

// Single positions: the start, the middle and the end of the path.
void BM_renderAt(benchmark::State& state)
{
    benchFly_T& f = fly();
    fly_aimCamera(*f.path, 0.003f * (float)state.range(0));
    for (auto _ : state) {
        frameStamp++;
        r3d_render(f.scene, &flyCamera);
        benchmark::DoNotOptimize(f.surface.data());
    }
    state.counters["tris_drawn"] = visibleTriCount;
}
BENCHMARK(BM_renderAt)->Arg(0)->Arg(166)->Arg(332)->Unit(benchmark::kMillisecond);

}  // namespace
