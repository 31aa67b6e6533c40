#pragma once
// Geometry and lighting of the textured 3DS scene: angle tables in tenths of
// a degree, matrix builders (row vectors: a point is p x M, translation in
// row 3), in-place mesh transforms, projection with back-face culling and a
// painter's sort, spherical texture coordinates, and per-texture lighting
// tables for the span fillers. Engine thread only.
#include <cstdint>

#include "geometry/mat4.h"

struct mesh3ds_T;

// What a mesh is drawn with; shared by the scene's meshes through their
// drawOptions field.
enum {
    MESHDRAW_NORMAL_COORDS = 1,   // texture and light both addressed by the vertex normals
    MESHDRAW_BLEND = 2,           // 50 % over the pixel already on the surface
    MESHDRAW_LIT = 4,             // lit through lightMap and shadeTable
};

struct meshDrawOptions_T {
    uint32_t mode;           // MESHDRAW_* bits, 0..7
    float* uv;               // (u, v) per vertex, texels 0..255
    uint16_t* texture;       // 256 x 256, row v at 256 v: display pixels, or colour indices when lit
    uint8_t* lightMap;       // 256 x 256 light levels addressed by the normal's x and y
    uint16_t* shadeTable;    // entry 256 c + j: colour index c at light level j
};

// Angles are indices into these tables: tenths of a degree, 0..3599.
constexpr int SCENE_ANGLES = 3600;
extern float sinTable[SCENE_ANGLES];
extern float cosTable[SCENE_ANGLES];
// Any index taken modulo 3600 (a negative one counts back from 3600).
inline int scene_angle(int a)
{
    const int i = a % SCENE_ANGLES;
    return i < 0 ? i + SCENE_ANGLES : i;
}

// The screen the scene draws to: a clip rectangle in pixels (both ends
// inclusive) and the world window -100..100 that the projection maps onto it.
struct sceneViewport_T {
    int32_t clipXMin, clipXMax, clipYMin, clipYMax;
    float worldXMin, worldXMax, worldYMin, worldYMax;
    float scaleX, scaleY;     // 1 / window size
    float offsetX, offsetY;
};
extern sceneViewport_T viewport;
extern vec4_T sceneEye;       // (0, 0, 100, 1)

// Fills the angle tables, the viewport (from the screen size) and the eye; returns 1.
int initSceneTables();

// Builders; a is an angle index.
mat4_T matTranslate(float x, float y, float z);
mat4_T matRotX(int a);
mat4_T matRotY(int a);
mat4_T matRotZ(int a);
mat4_T matScale(float k);
// Projects onto the plane z = 0 seen from the eye: with the eye (0, 0, 100, 1)
// a point maps to (-100 x, -100 y, -z, z - 100).
mat4_T matPerspective(const vec4_T& eye);
mat4_T matMul(const mat4_T& a, const mat4_T& b);   // a x b: a acts first

// Every vertex and the centre x M; if N is given, the normals that are valid
// x N. In place, so transforms accumulate from call to call.
void transformMesh(mesh3ds_T* mesh, const mat4_T* m, const mat4_T* n);

// The projection cache holds this many vertices; larger meshes are refused.
constexpr int SCENE_MAX_VERTICES = 30000;
// Projects the faces to draw this frame (skipping those turned away when the
// mesh culls) and sorts them far to near; 0, or -1 with nothing to draw when
// the mesh is too large for the cache.
int projectAndSort(mesh3ds_T* mesh, const mat4_T* p);

// (u, v) texels per vertex from the directions of the vertices seen from the
// centre; a new array the caller frees with free(), or null.
float* sphereMapUV(const mesh3ds_T* mesh, float k);

// A texture may have at most this many distinct colours to be lit.
constexpr int SCENE_MAX_COLOURS = 5000;
// Turns a 256 x 256 texture of display pixels into colour indices in place
// and makes its light map (256 x 256) and shade table (256 levels per colour);
// the caller frees both with free(). Returns the number of colours, or -1
// (texture untouched, both tables null) when there are too many colours or
// no memory.
int paletteTexture(uint16_t* texture, uint16_t** shadeTable, uint8_t** lightMap);

// A float stored into a 16-bit screen value: truncated toward zero, and held
// at the ends of the range when it does not fit (NaN counts as the low end).
inline int16_t scene_toInt16(float f)
{
    if (!(f > -32768.0f))
        return -32768;
    if (f >= 32767.0f)
        return 32767;
    return static_cast<int16_t>(f);
}
