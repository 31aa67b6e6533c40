#include "effects/flythrough/hud.h"

#include "effects/flythrough/flythrough.h"
#include "engine/console.h"
#include "engine/engine.h"
#include "platform/display.h"
#include "platform/timers.h"
#include "render/r3d_hw.h"

// In accelerator mode the engine's panel goes through the accelerator's
// frame buffer (which this build has none of), down the right-hand side;
// the frame rate sits at row 440, below a 240-row display.
static void hud_drawPanel()
{
    int x = screenWidth - 140;
    vec4_T camX = flyCamera.camX(), camY = flyCamera.camY(), camZ = flyCamera.camZ();
    const vec4_T& pos = flyCamera.position;
    con_printAt3dfx(x, 0, "PELVANOR 3D ENGINE");
    con_printAt3dfx(x, 8, "%i x %i", screenWidth, screenHeight);
    con_printAt3dfx(x, 16, "65536 colores");
    con_printAt3dfx(x, 48, "PAUSA          : P");
    con_printAt3dfx(x, 56, "Cambiar render : r");
    const char* const labels[12] = {"Cam X : %.2f",  "Cam Y : %.2f",  "Cam Z : %.2f",  "CamX X: %.2f",
                                    "CamX Y: %.2f",  "CamX Z: %.2f",  "CamY X: %.2f",  "CamY Y: %.2f",
                                    "CamY Z: %.2f",  "CamZ X: %.2f",  "CamZ Y: %.2f",  "CamZ Z: %.2f"};
    const float values[12] = {pos.x,  pos.y,  pos.z,  camX.x, camX.y, camX.z,
                              camY.x, camY.y, camY.z, camZ.x, camZ.y, camZ.z};
    for (int i = 0; i < 12; i++)
        con_printAt3dfx(x, 64 + 8 * i, labels[i], (double)values[i]);
    con_printAt3dfx(x, 440, "%2.2f FPS", (double)tmr_fps());
    r3d_hwCall();
}

void hud_draw()
{
    if (use3dfx)
        hud_drawPanel();
    con_render();
}
