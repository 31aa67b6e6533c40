#pragma once
// What the textured 3DS scene loads and places before its first frame, and
// the per-frame spin shared by the scene and its benchmark.
#include <cstdint>

#include "effects/scene3ds/scene_tables.h"
#include "formats/mesh3ds.h"
#include "platform/display.h"

// A texture reduced to colour indices with its lighting tables.
struct scene3dsTexture_T {
    uint16_t* texels;        // 256 x 256 colour indices
    uint16_t* shadeTable;
    uint8_t* lightMap;
};

enum { SCENE3DS_PSICO, SCENE3DS_WATER, SCENE3DS_PINK, SCENE3DS_PEO, SCENE3DS_TEXTURES };

struct scene3dsAssets_T {
    ddSurface_T* title;
    mesh3ds_T* meshA;        // the knot of ".\meshes\faces2.3ds"
    mesh3ds_T* meshB;        // the torus of ".\meshes\torus3.3ds"
    float* uvA;
    float* uvB;
    scene3dsTexture_T textures[SCENE3DS_TEXTURES];
    meshDrawOptions_T options;   // shared by both meshes
};

// The meshes turn about (0, 0, SCENE3DS_DEPTH), in front of the projection
// plane z = 0 (the eye is at z = 100).
constexpr float SCENE3DS_DEPTH = -600.0f;

// Each loader logs what it could not load and returns -1; whatever was loaded
// stays in the assets for scene3ds_freeAssets.
int scene3ds_loadTitle(scene3dsAssets_T* a);
int scene3ds_loadMeshes(scene3dsAssets_T* a);
int scene3ds_loadTextures(scene3dsAssets_T* a);
void scene3ds_freeAssets(scene3dsAssets_T* a);

// Texture coordinates on the meshes as loaded, the options for the torus
// (lit psico texture, culling on), and both meshes centred on (0, 0, -600),
// three times their file size and turned 270 degrees about x.
void scene3ds_placeMeshes(scene3dsAssets_T* a);
// The knot brought to the front for its own part: scaled up 36 times more,
// turned by r (the torus's last rotation), lit with the psico texture.
void scene3ds_placeKnot(scene3dsAssets_T* a, const mat4_T& r);
// Points the shared options at texture t drawn in the given mode.
void scene3ds_useTexture(scene3dsAssets_T* a, int t, uint32_t mode);

// One frame's turn of a mesh about (0, 0, -600) by the angle indices, with
// the scale s, then its projection; the rotation built is left in *r.
void scene3ds_spin(mesh3ds_T* mesh, int ax, int ay, int az, float s, const mat4_T& projection, mat4_T* r);
