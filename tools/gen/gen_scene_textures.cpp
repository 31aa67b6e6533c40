// The four 256 x 256 textures of the textured 3DS scene. The scene lights a
// texture through a table of shades per distinct colour and allows at most
// 5000 colours, so each picture is a tiling scalar field read through a
// palette of 256 entries (at most 256 colours, in 24 or 16 bits alike):
//   psico.bmp: bands of hue swirled by noise (the torus and the knot);
//   water.bmp: blue water with bright caustic lines;
//   pink.bmp:  pink and white marble veins;
//   peo.bmp:   a warm chrome reflection, addressed by the normal: a sky over
//              a dark horizon with the sun near the middle.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/gen/gen.h"
#include "tools/gen/gen_textures.h"

namespace {

constexpr int SIDE = 256;
constexpr int LEVELS = 256;
const float TAU = 6.2831853f;

using genPalette_T = std::vector<gtRgb_T>;

// A palette through the given stops, evenly spaced.
genPalette_T gradient(const std::vector<gtRgb_T>& stops)
{
    genPalette_T p(LEVELS);
    for (int i = 0; i < LEVELS; i++) {
        const float f = (float)i / (LEVELS - 1) * (float)(stops.size() - 1);
        const int k = std::min((int)f, (int)stops.size() - 2);
        p[i] = gt_mix(stops[k], stops[k + 1], f - (float)k);
    }
    return p;
}

// Writes the field (0..1 per texel) through the palette.
int writeIndexed(const std::string& dataDir, const char* name, float (*field)(int, int), const genPalette_T& palette)
{
    std::vector<gtRgb_T> pixels(SIDE * SIDE);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE; x++) {
            float f = field(x, y);
            f = f < 0 ? 0 : f > 1 ? 1 : f;
            pixels[y * SIDE + x] = palette[(int)(f * (LEVELS - 1) + 0.5f)];
        }
    return gt_writeBmp(dataDir, name, SIDE, SIDE, pixels);
}

float frac(float v) { return v - std::floor(v); }

float psicoField(int x, int y)
{
    const float n = gt_fbm((float)x, (float)y, SIDE, 4, 4, 1201);
    const float waves = std::sin(TAU * x / SIDE * 2) + std::sin(TAU * y / SIDE * 3);
    return frac(2.5f * n + 0.25f * waves);
}

float waterField(int x, int y)
{
    float d1, d2;
    gt_cells((float)x, (float)y, SIDE, 8, 1301, &d1, &d2);
    const float edge = d2 - d1;   // 0 on the cell borders
    const float lines = std::exp(-edge * edge * 90.0f);
    const float depth = gt_fbm((float)x, (float)y, SIDE, 4, 3, 1302);
    return 0.55f * depth + 0.45f * lines;
}

float pinkField(int x, int y)
{
    const float n = gt_fbm((float)x, (float)y, SIDE, 4, 5, 1401);
    const float vein = 0.5f + 0.5f * std::sin(TAU * (x + y) / SIDE * 2 + 9.0f * n);
    return std::pow(vein, 3.0f);
}

// The centre of the picture is the direction facing the viewer; rows are the
// normal's y, columns its x.
float peoField(int x, int y)
{
    const float nx = (x - 128) / 128.0f, ny = (y - 128) / 128.0f;
    const float r = std::sqrt(nx * nx + ny * ny);
    const float horizon = ny > 0.15f ? 0.18f : 0.45f + 0.45f * (0.15f - ny);
    const float sx = nx + 0.25f, sy = ny + 0.3f;
    const float sun = std::exp(-(sx * sx + sy * sy) * 14.0f);
    const float ripple = 0.06f * std::sin(TAU * 5.0f * r);
    return horizon * (1.0f - 0.3f * r) + 0.55f * sun + ripple;
}

int gen_sceneTextures(const std::string& dataDir)
{
    const genPalette_T psico = gradient({{255, 40, 120}, {255, 200, 40}, {60, 230, 90}, {40, 160, 255},
                                         {150, 60, 255}, {255, 40, 120}});
    const genPalette_T water = gradient({{4, 24, 70}, {10, 70, 140}, {40, 150, 200}, {170, 235, 255}});
    const genPalette_T pink = gradient({{120, 30, 80}, {230, 110, 170}, {255, 200, 225}, {255, 250, 250}});
    const genPalette_T peo = gradient({{30, 14, 6}, {120, 50, 20}, {230, 140, 50}, {255, 220, 140},
                                       {255, 255, 235}});
    if (writeIndexed(dataDir, ".\\textures\\psico.bmp", psicoField, psico))
        return -1;
    if (writeIndexed(dataDir, ".\\textures\\water.bmp", waterField, water))
        return -1;
    if (writeIndexed(dataDir, ".\\textures\\pink.bmp", pinkField, pink))
        return -1;
    return writeIndexed(dataDir, ".\\textures\\peo.bmp", peoField, peo);
}

}

GEN_REGISTER("textures\\psico.bmp water.bmp pink.bmp peo.bmp", gen_sceneTextures);
