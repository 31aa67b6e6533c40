// The textured 3DS scene (timeline step 4): a title picture, then a spinning
// torus (lit, then environment-mapped and see-through), then the knot with a
// texture change every 6 seconds, ending as it swells for 34 frames.
//
// Durations are read from the clock; the animation moves a fixed step per
// frame. Frames are drawn into the back surface and copied to the primary
// surface by a blit (no flip); in the second part the copy is blended over
// what is on screen, which leaves trails.
#include "effects/scene3ds/scene3ds.h"

#include "effects/scene3ds/mesh_draw.h"
#include "effects/scene3ds/scene3ds_assets.h"
#include "engine/engine.h"
#include "platform/clock.h"
#include "render/pixel_tables.h"
#include "render/surface16.h"

namespace {

const uint32_t SCENE3DS_TITLE_MS = 5000;
const uint32_t SCENE3DS_SEE_THROUGH_MS = 8000;   // torus: environment-mapped from here
const uint32_t SCENE3DS_TORUS_MS = 16000;
const uint32_t SCENE3DS_TEXTURE_MS = 6000;
const uint32_t SCENE3DS_KNOT_MS = 18000;
const int SCENE3DS_ENDING_FRAMES = 34;
const int SCENE3DS_PRESENT_ALPHA = 100;          // of 255, for the blended copy
const float SCENE3DS_SWELL = 0.001f;             // scale added per ending frame

// The title is copied from a 319 x 239 rectangle, right and bottom exclusive.
const ddRect_T SCENE3DS_TITLE_RECT = {0, 0, 319, 239};

struct scene3dsState_T {
    int ax, ay, az;
    int i1, i2;          // phases of the torus's wobble, in tenths of a degree
    float s;
    int blendPresent;
    mat4_T r, p;
};

uint32_t scene3ds_since(uint32_t start)
{
    return pf_timeMs() - start;
}

void scene3ds_draw(const mesh3ds_T* mesh)
{
    ddSurface_T* back = dd_backSurface();
    int32_t pitch = 0;
    uint16_t* pixels = dd_lockSurface(back, &pitch);
    if (!pixels)
        return;
    surfacePitch = pitch;
    drawMesh(mesh, pixels);
    dd_unlockSurface(back);
}

void scene3ds_present(const scene3dsState_T& st)
{
    const ddRect_T whole = {0, 0, screenWidth - 1, screenHeight - 1};
    // Without a display (accelerator mode) nothing is shown, but the frame
    // still passes, so the clock the phases run on keeps moving.
    if (!dd_primarySurface())
        dd_idleFrame();
    else if (st.blendPresent)
        dd_bltBlend(dd_primarySurface(), 0, 0, dd_backSurface(), &whole, SCENE3DS_PRESENT_ALPHA);
    else
        dd_bltFast(dd_primarySurface(), 0, 0, dd_backSurface(), &whole);
}

// The torus for 16 seconds; 1 when a stop was asked for.
int scene3ds_torus(scene3dsAssets_T* a, scene3dsState_T* st)
{
    const uint32_t start = pf_timeMs();
    if (engine_pump())
        return 1;
    for (;;) {
        scene3ds_spin(a->meshB, st->ax, st->ay, st->az, 1.0f, st->p, &st->r);
        clearSurface(dd_backSurface());
        dd_bltFast(dd_backSurface(), 192, 112, a->title, &SCENE3DS_TITLE_RECT);
        st->i1 = (st->i1 + 1) % SCENE_ANGLES;
        st->i2 = (st->i2 + 1) % SCENE_ANGLES;
        st->ax = static_cast<int>(sinTable[st->i1] * 8.0f);
        st->az = static_cast<int>(sinTable[st->i2] * 15.0f);
        st->ay = 5;
        const uint32_t elapsed = scene3ds_since(start);
        if (elapsed >= SCENE3DS_SEE_THROUGH_MS) {
            // Normals stop turning with the mesh: the reflection sticks to it.
            a->options.mode = MESHDRAW_LIT | MESHDRAW_BLEND | MESHDRAW_NORMAL_COORDS;
            a->meshB->flags = 0;
            st->ay = 26;
        }
        if (elapsed >= SCENE3DS_TORUS_MS)
            return 0;
        scene3ds_draw(a->meshB);
        scene3ds_present(*st);
        if (engine_pump())
            return 1;
    }
}

// The textures the knot moves through, after the first: pink, peo, water.
void scene3ds_nextTexture(scene3dsAssets_T* a, int* k)
{
    *k = (*k + 1) % 3;
    if (*k == 1)
        scene3ds_useTexture(a, SCENE3DS_PINK, MESHDRAW_LIT);
    else if (*k == 2)
        scene3ds_useTexture(a, SCENE3DS_PEO, MESHDRAW_LIT | MESHDRAW_NORMAL_COORDS);
    else
        scene3ds_useTexture(a, SCENE3DS_WATER, MESHDRAW_LIT);
}

void scene3ds_knot(scene3dsAssets_T* a, scene3dsState_T* st)
{
    mesh3ds_T* mesh = a->meshA;
    st->ax = st->az = 0;
    scene3ds_placeKnot(a, st->r);
    int k = 0, endingFrames = 0;
    bool ending = false;
    uint32_t textureStart = pf_timeMs(), knotStart = textureStart;
    st->blendPresent = 1;
    st->ay = 26;
    if (engine_pump())
        return;
    for (;;) {
        scene3ds_spin(mesh, st->ax, st->ay, st->az, st->s, st->p, &st->r);
        clearSurface(dd_backSurface());
        scene3ds_draw(mesh);
        if (!ending) {
            if (scene3ds_since(textureStart) >= SCENE3DS_TEXTURE_MS) {
                textureStart = pf_timeMs();
                scene3ds_nextTexture(a, &k);
            }
            if (scene3ds_since(knotStart) >= SCENE3DS_KNOT_MS) {
                knotStart = pf_timeMs();
                ending = true;
            }
        } else {
            st->ay = 25;
            st->s += SCENE3DS_SWELL;
            if (++endingFrames > SCENE3DS_ENDING_FRAMES)
                return;
        }
        scene3ds_present(*st);
        if (engine_pump())
            return;
    }
}

}

int scene3dsPart(int)
{
    initPixelTables();
    scene3dsState_T st = {};
    st.ay = 5;
    st.i2 = 1000;
    st.s = 1.0f;
    initSceneTables();
    const uint32_t start = pf_timeMs();

    scene3dsAssets_T a = {};
    clearSurface(dd_primarySurface());
    if (scene3ds_loadTitle(&a) == 0)
        dd_bltFast(dd_primarySurface(), 0, 0, a.title, &SCENE3DS_TITLE_RECT);
    if (scene3ds_loadMeshes(&a) == 0 && scene3ds_loadTextures(&a) == 0 && a.title) {
        scene3ds_placeMeshes(&a);
        st.ax = 13;
        st.ay = 18;
        st.p = matPerspective(sceneEye);
        // The title stays up for its time; sleeping lets the clock run on.
        for (uint32_t shown = scene3ds_since(start); shown < SCENE3DS_TITLE_MS; shown = scene3ds_since(start))
            pf_sleepMs(SCENE3DS_TITLE_MS - shown);
        if (scene3ds_torus(&a, &st) == 0)
            scene3ds_knot(&a, &st);
    }
    scene3ds_freeAssets(&a);
    return 0;
}
