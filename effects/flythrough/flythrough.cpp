#include "effects/flythrough/flythrough.h"

#include "effects/flythrough/hud.h"
#include "engine/engine.h"
#include "geometry/fly_path.h"
#include "geometry/spline.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/log.h"
#include "platform/timers.h"
#include "render/pixel_tables.h"
#include "render/r3d_hw.h"
#include "render/r3d_render.h"
#include "render/r3d_scene.h"
#include "render/r3d_tex.h"
#include "render/surface16.h"

PVCamera flyCamera;
scene_T* flyScene;
float flyT;

namespace {

constexpr float FLY_STEP = 0.003f;      // per frame: 333 frames to the end of the path
constexpr float FLY_STEP_HW = 0.0005f;  // accelerator mode: the path repeats
constexpr uint32_t TITLE_MS = 3500;
const char* const FLY_MESH = "PLAYApr.MAC";
constexpr float LIGHT_TURN_DEGREES = 3.0f;

// The title shows in a window too (a clipped primary surface on the
// original hardware refused the fast blit there); the pause happens either
// way, picture or not.
void showTitle()
{
    initPixelTables();
    ddSurface_T* title = loadBmpSurface(".\\pantallazos\\bicho.bmp");
    if (title) {
        ddRect_T whole = {0, 0, 320, 240};
        dd_bltFast(dd_primarySurface(), 0, 0, title, &whole);
        dd_releaseSurface(title);
    }
    pf_sleepMs(TITLE_MS);
}

// One frame; false when the path has run out (the frame is not drawn).
bool flyFrame(const spline_T& path)
{
    fly_aimCamera(path, flyT);
    if (use3dfx) {
        flyT += FLY_STEP_HW;
    } else {
        flyT += FLY_STEP;
        if (flyT >= 1.0f)
            return false;
    }
    tmr_report();
    frameStamp++;

    tmr_start(TMR_KEYBOARD);
    kb_poll();
    if (kb_keyDown(KB_KEY_SPACE))
        demoRunning = 0;
    tmr_stop(TMR_KEYBOARD);

    tmr_start(TMR_RENDER_FRAME);
    if (engine_beginFrame(1) == 0) {
        r3d_render(flyScene, &flyCamera);
        tmr_start(TMR_CONSOLE);
        hud_draw();
        tmr_stop(TMR_CONSOLE);
        lightDir.rotateZ(LIGHT_TURN_DEGREES);
        engine_endFrame();
    }
    tmr_stop(TMR_RENDER_FRAME);
    return true;
}

}  // namespace

spline_T* fly_makePath()
{
    return new spline_T(FLY_PATH_POINTS, flyPath);
}

void fly_aimCamera(const spline_T& path, float t)
{
    vec4_T p = path.position(t);
    flyCamera.setPosition(p);
    vec4_T ahead = path.tangent(t);
    ahead.normalize();
    flyCamera.lookAt(p + ahead);
}

int flythroughPart(int)
{
    tmr_highRes();

    // The engine reloads the textures after every display mode set-up; a
    // run without one (a test) builds the first set here.
    if (texSet == nullptr)
        r3d_loadTextures();

    showTitle();
    spline_T* path = fly_makePath();
    r3d_freeScene(flyScene);
    flyScene = r3d_loadScene(FLY_MESH);
    if (!flyScene) {
        // Nothing to fly over: the effect ends after its title.
        con_log("No se pudo cargar la malla %s", FLY_MESH);
        tmr_lowRes();
        delete path;
        return 0;
    }
    con_log("PVCamera initiated...");
    con_log("Leida malla 3d...");
    con_log("Vertices: %i", flyScene->vertexCount);
    con_log("Triangulos: %i", flyScene->triangleCount);
    con_log("Creadas normales de caras...");
    flyT = 0;

    // Left by Space or by the pump: the timer resolution goes back; not when
    // the path runs out.
    bool pathEnded = false;
    if (engine_pump() == 0) {
        for (;;) {
            if (!flyFrame(*path)) {
                pathEnded = true;
                break;
            }
            if (!demoRunning || engine_pump() != 0)
                break;
        }
    }
    if (!pathEnded)
        tmr_lowRes();
    delete path;
    return 0;
}
