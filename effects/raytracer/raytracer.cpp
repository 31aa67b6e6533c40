#include "effects/raytracer/raytracer.h"

#include <cstring>

#include "effects/raytracer/ray_scene.h"
#include "effects/raytracer/ray_trace.h"
#include "effects/raytracer/ray_upscale.h"
#include "engine/console.h"
#include "engine/engine.h"
#include "platform/clock.h"
#include "platform/display.h"

enum { RAY_FADE_OUT_FRAMES = 10, RAY_FADE_OUT_SLEEP_MS = 15 };

// 1 when the frame begin locked a surface that may be written; a failed lock
// leaves none, and in accelerator mode there is no surface at all.
static int ray_surfaceReady(int began) {
    return began && !use3dfx && surfacePixels != nullptr;
}

static void ray_traceFrame(int32_t n) {
    const int began = engine_beginFrame(1) == 0;
    ray_fadeImage();
    ray_animate();
    rayCount = 0;
    const int32_t all[RAY_SPHERES] = {1, 1, 1};
    traceCell(0, 0, RAY_W, RAY_H, 0, all);
    con_log("Rayos: %i Frame %i", rayCount, n);
    if (ray_surfaceReady(began))
        upscale2x(surfacePixels, surfacePitch);
    if (began)
        con_render();
    engine_endFrame();
}

int rayTracerPart(int frames) {
    dd_pixelShifts();
    ray_createSpheres();
    ray_buildRamps();
    std::memset(rayImage, 0, sizeof rayImage);

    if (engine_pump() != 1) {
        for (int32_t n = 1; n <= frames; n++) {
            ray_traceFrame(n);
            if (engine_pump() == 1)
                break;
        }
    }

    // The last picture fades out; no tracing, log, console or poll here.
    for (int i = 0; i < RAY_FADE_OUT_FRAMES; i++) {
        const int began = engine_beginFrame(1) == 0;
        ray_fadeImage();
        if (ray_surfaceReady(began))
            upscale2x(surfacePixels, surfacePitch);
        pf_sleepMs(RAY_FADE_OUT_SLEEP_MS);
        engine_endFrame();
    }
    return 0;
}
