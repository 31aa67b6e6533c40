// Loading, placing and freeing what the textured 3DS scene shows.
#include "effects/scene3ds/scene3ds_assets.h"

#include <cstdlib>
#include <initializer_list>

#include "formats/bmp.h"
#include "platform/log.h"
#include "render/pixel_tables.h"
#include "render/surface16.h"

namespace {

const char* const SCENE3DS_TITLE = ".\\pantallazos\\goodbad.bmp";
const char* const SCENE3DS_MESH_A = ".\\meshes\\faces2.3ds";
const char* const SCENE3DS_MESH_B = ".\\meshes\\torus3.3ds";
const char* const SCENE3DS_TEXTURE_FILES[SCENE3DS_TEXTURES] = {
    ".\\textures\\psico.bmp", ".\\textures\\water.bmp", ".\\textures\\pink.bmp", ".\\textures\\peo.bmp"};

// Lit textures are read through 8-bit texel coordinates: exactly 256 x 256.
const uint32_t SCENE3DS_TEXTURE_SIDE = 256;
// Sphere-map texels per full turn of direction.
const float SCENE3DS_SPHERE_TEXELS = 512.0f;
const int SCENE3DS_PLACE_TURN = 2700;   // 270 degrees about x
const float SCENE3DS_PLACE_SCALE = 3.0f;
const float SCENE3DS_KNOT_SCALE = 36.0f;

// Centred on (0, 0, SCENE3DS_DEPTH), scaled by k and turned by r.
void scene3ds_place(mesh3ds_T* mesh, float k, const mat4_T& r)
{
    const mat4_T m = matMul(matMul(matMul(matTranslate(-mesh->centre.x, -mesh->centre.y, -mesh->centre.z),
                                          matScale(k)),
                                   r),
                            matTranslate(0.0f, 0.0f, SCENE3DS_DEPTH));
    transformMesh(mesh, &m, &r);
}

int scene3ds_loadTexture(scene3dsTexture_T* t, const char* path)
{
    image24_T* image = loadBmp24(path);
    if (!image || image->width != SCENE3DS_TEXTURE_SIDE || image->height != SCENE3DS_TEXTURE_SIDE) {
        freeImage24(image);
        con_log("No se pudo cargar la textura %s", path);
        return -1;
    }
    t->texels = imageToTexture16(image);
    freeImage24(image);
    if (!t->texels)
        return -1;
    if (paletteTexture(t->texels, &t->shadeTable, &t->lightMap) < 0) {
        con_log("La textura %s tiene demasiados colores", path);
        return -1;
    }
    return 0;
}

}

int scene3ds_loadTitle(scene3dsAssets_T* a)
{
    a->title = loadBmpSurface(SCENE3DS_TITLE);
    if (!a->title) {
        con_log("No se pudo cargar %s", SCENE3DS_TITLE);
        return -1;
    }
    return 0;
}

int scene3ds_loadMeshes(scene3dsAssets_T* a)
{
    a->meshA = load3ds(SCENE3DS_MESH_A);
    a->meshB = load3ds(SCENE3DS_MESH_B);
    const char* missing = !a->meshA ? SCENE3DS_MESH_A : !a->meshB ? SCENE3DS_MESH_B : nullptr;
    if (!missing && (a->meshA->vertexCount > SCENE_MAX_VERTICES || a->meshB->vertexCount > SCENE_MAX_VERTICES))
        missing = a->meshA->vertexCount > SCENE_MAX_VERTICES ? SCENE3DS_MESH_A : SCENE3DS_MESH_B;
    if (missing) {
        con_log("No se pudo cargar la malla %s", missing);
        return -1;
    }
    return 0;
}

int scene3ds_loadTextures(scene3dsAssets_T* a)
{
    for (int i = 0; i < SCENE3DS_TEXTURES; i++)
        if (scene3ds_loadTexture(&a->textures[i], SCENE3DS_TEXTURE_FILES[i]))
            return -1;
    return 0;
}

void scene3ds_freeAssets(scene3dsAssets_T* a)
{
    dd_releaseSurface(a->title);
    free3ds(a->meshA);
    free3ds(a->meshB);
    std::free(a->uvA);
    std::free(a->uvB);
    for (scene3dsTexture_T& t : a->textures) {
        delete[] t.texels;
        std::free(t.shadeTable);
        std::free(t.lightMap);
    }
    *a = scene3dsAssets_T{};
}

void scene3ds_useTexture(scene3dsAssets_T* a, int t, uint32_t mode)
{
    a->options.mode = mode;
    a->options.texture = a->textures[t].texels;
    a->options.lightMap = a->textures[t].lightMap;
    a->options.shadeTable = a->textures[t].shadeTable;
}

void scene3ds_placeMeshes(scene3dsAssets_T* a)
{
    a->uvA = sphereMapUV(a->meshA, SCENE3DS_SPHERE_TEXELS);
    a->uvB = sphereMapUV(a->meshB, SCENE3DS_SPHERE_TEXELS);
    a->options.uv = a->uvB;
    scene3ds_useTexture(a, SCENE3DS_PSICO, MESHDRAW_LIT);
    for (mesh3ds_T* mesh : {a->meshA, a->meshB}) {
        mesh->flags |= MESH3DS_CULL;
        scene3ds_place(mesh, SCENE3DS_PLACE_SCALE, matRotX(SCENE3DS_PLACE_TURN));
        mesh->drawMode = 3;
        mesh->drawOptions = &a->options;
    }
}

void scene3ds_placeKnot(scene3dsAssets_T* a, const mat4_T& r)
{
    scene3ds_place(a->meshA, SCENE3DS_KNOT_SCALE, r);
    a->options.uv = a->uvA;
    scene3ds_useTexture(a, SCENE3DS_PSICO, MESHDRAW_LIT);
    a->meshA->flags |= MESH3DS_CULL;
}

void scene3ds_spin(mesh3ds_T* mesh, int ax, int ay, int az, float s, const mat4_T& projection, mat4_T* r)
{
    *r = matMul(matMul(matMul(matRotX(ax), matRotY(ay)), matRotZ(az)), matScale(s));
    const mat4_T m = matMul(matMul(matTranslate(0.0f, 0.0f, -SCENE3DS_DEPTH), *r),
                            matTranslate(0.0f, 0.0f, SCENE3DS_DEPTH));
    transformMesh(mesh, &m, r);
    projectAndSort(mesh, &projection);
}
