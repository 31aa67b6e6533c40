// One frame of each part of the textured 3DS scene, from the generated data,
// into a plain 320 x 240 buffer: the turn and projection of the mesh, the
// clear, and the filling of its faces.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "effects/scene3ds/mesh_draw.h"
#include "effects/scene3ds/scene3ds_assets.h"
#include "platform/display.h"
#include "render/pixel_tables.h"

namespace {

struct benchScene_T {
    scene3dsAssets_T assets = {};
    mat4_T p;
    std::vector<uint16_t> surface = std::vector<uint16_t>(320 * 240);
    bool ok = false;
};

benchScene_T& scene()
{
    static benchScene_T s;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        const std::filesystem::path oldDir = std::filesystem::current_path();
        std::filesystem::current_path(VARNEK_DATA_DIR);
        pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
        initSceneTables();
        s.ok = scene3ds_loadMeshes(&s.assets) == 0 && scene3ds_loadTextures(&s.assets) == 0;
        std::filesystem::current_path(oldDir);
        if (s.ok) {
            scene3ds_placeMeshes(&s.assets);
            s.p = matPerspective(sceneEye);
            scene3ds_placeKnot(&s.assets, matRotY(300));
        }
        surfacePitch = 320;
    }
    return s;
}

// One frame of a part: the mesh turned and projected, the buffer cleared,
// the faces filled with texture t in the given mode.
void part(benchmark::State& state, bool knot, int t, uint32_t mode, bool cull, int ay)
{
    benchScene_T& s = scene();
    if (!s.ok)
        return state.SkipWithError("no data: build the data target first");
    mesh3ds_T* mesh = knot ? s.assets.meshA : s.assets.meshB;
    s.assets.options.uv = knot ? s.assets.uvA : s.assets.uvB;
    scene3ds_useTexture(&s.assets, t, mode);
    const uint32_t flags = mesh->flags;
    if (!cull)
        mesh->flags = 0;
    const int ax = knot ? 0 : 3, az = knot ? 0 : 7;
    mat4_T r;
    for (auto _ : state) {
        scene3ds_spin(mesh, ax, ay, az, 1.0f, s.p, &r);
        std::memset(s.surface.data(), 0, s.surface.size() * 2);
        drawMesh(mesh, s.surface.data());
        benchmark::DoNotOptimize(s.surface.data());
    }
    mesh->flags = flags;
    state.counters["faces"] = mesh->visibleCount;
}

void BM_TorusLit(benchmark::State& state)
{
    part(state, false, SCENE3DS_PSICO, MESHDRAW_LIT, true, 5);
}

void BM_TorusSeeThrough(benchmark::State& state)
{
    part(state, false, SCENE3DS_PSICO, MESHDRAW_LIT | MESHDRAW_BLEND | MESHDRAW_NORMAL_COORDS, false, 26);
}

void BM_KnotLit(benchmark::State& state)
{
    part(state, true, SCENE3DS_PINK, MESHDRAW_LIT, true, 26);
}

void BM_KnotLitByNormal(benchmark::State& state)
{
    part(state, true, SCENE3DS_PEO, MESHDRAW_LIT | MESHDRAW_NORMAL_COORDS, true, 26);
}

}

BENCHMARK(BM_TorusLit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TorusSeeThrough)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KnotLit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KnotLitByNormal)->Unit(benchmark::kMicrosecond);
