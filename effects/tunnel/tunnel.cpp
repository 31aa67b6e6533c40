#include "effects/tunnel/tunnel.h"

#include "effects/tunnel/tunnel_frame.h"
#include "effects/tunnel/tunnel_texture.h"
#include "engine/engine.h"
#include "platform/display.h"

int palettePart(int mode, int frames) {
    tunnel_buildTables();
    dd_pixelShifts();
    if (tunnel_build(mode) != 0)
        return -1;
    if (engine_pump() == 1)
        return 0;

    // The scroll offsets run down by 4 a frame; with their low 8 bits kept
    // the texture flows towards the viewer and round the tunnel.
    int32_t a = 0, d = 0;
    for (int frame = 0; frame < frames; frame++) {
        const int locked = engine_beginFrame(1) == 0 && !use3dfx && surfacePixels != nullptr;
        tunnel_rotatePalette();
        a -= 4;
        d -= 4;
        tunnel_drawImage(a, d);
        if (locked)
            tunnel_present(surfacePixels, surfacePitch);
        tunnel_slide();
        engine_endFrame();
        if (engine_pump() == 1)
            return 0;
    }
    return 0;
}
