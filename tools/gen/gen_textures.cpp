// Writes the renderer's nine 64 x 64 textures: eight ground textures that
// tile seamlessly and keep their character down to 8 x 8 (strong base
// colours, detail on top), and a pattern for the ninth slot.
#include <cmath>
#include <string>

#include "tools/gen/gen.h"
#include "tools/gen/gen_textures.h"

namespace {

constexpr int SIDE = 64;
constexpr float TWO_PI = 6.2831853f;

gtRgb_T rock(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 4, 4, 11);
    float d1, d2;
    gt_cells(x, y, SIDE, 5, 12, &d1, &d2);
    float crack = d2 - d1 < 0.08f ? 0.55f : 1.0f;   // dark seams between the slabs
    gtRgb_T c = gt_mix({92, 86, 80}, {150, 142, 132}, n);
    return gt_scale(c, crack * (0.85f + 0.3f * gt_hash((int)x, (int)y, 13)));
}

gtRgb_T grass(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 4, 3, 21);
    // Blades: noise stretched along y.
    float blade = gt_noise(x * 0.5f, y * 0.125f, 32, 22);
    gtRgb_T c = gt_mix({40, 96, 28}, {92, 158, 52}, n);
    return gt_scale(c, 0.75f + 0.45f * blade);
}

gtRgb_T sand(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 4, 3, 31);
    // Wind ripples: four waves across, bent by the noise.
    float ripple = 0.5f + 0.5f * std::sin(TWO_PI * (4.0f * y / SIDE + 0.8f * n));
    gtRgb_T c = gt_mix({196, 168, 108}, {232, 210, 150}, ripple);
    return gt_scale(c, 0.92f + 0.12f * gt_hash((int)x, (int)y, 33));
}

gtRgb_T snow(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 2, 4, 41);
    gtRgb_T c = gt_mix({188, 204, 232}, {250, 252, 255}, n);
    return gt_hash((int)x, (int)y, 42) > 0.97f ? gtRgb_T{255, 255, 255} : c;
}

gtRgb_T moss(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 4, 4, 51);
    float blotch = gt_fbm(x, y, SIDE, 2, 2, 52);
    gtRgb_T c = gt_mix({34, 62, 26}, {70, 104, 36}, n);
    if (blotch > 0.58f)
        c = gt_mix(c, {146, 150, 56}, (blotch - 0.58f) * 4.0f);
    return c;
}

gtRgb_T earth(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 4, 4, 61);
    float d1, d2;
    gt_cells(x, y, SIDE, 8, 62, &d1, &d2);
    gtRgb_T c = gt_mix({88, 56, 32}, {136, 92, 54}, n);
    if (d1 < 0.22f)   // pebbles, lit from the top left
        c = gt_mix({150, 130, 110}, {100, 86, 72}, d1 / 0.22f);
    return c;
}

gtRgb_T gravel(float x, float y)
{
    float d1, d2;
    gt_cells(x, y, SIDE, 11, 71, &d1, &d2);
    float stone = gt_hash((int)std::floor(x * 11 / SIDE), (int)std::floor(y * 11 / SIDE), 72);
    gtRgb_T c = gt_mix({104, 104, 108}, {176, 172, 166}, stone);
    float edge = std::fmin(1.0f, (d2 - d1) * 4.0f);
    return gt_scale(c, 0.45f + 0.55f * edge);
}

gtRgb_T cracked(float x, float y)
{
    float n = gt_fbm(x, y, SIDE, 4, 3, 81);
    float d1, d2;
    gt_cells(x, y, SIDE, 4, 82, &d1, &d2);
    gtRgb_T c = gt_mix({168, 104, 52}, {206, 140, 80}, n);
    if (d2 - d1 < 0.06f)
        c = {70, 40, 22};
    return c;
}

// The ninth slot: bevelled tiles, four across.
gtRgb_T pattern(float x, float y)
{
    int tx = (int)x % 16, ty = (int)y % 16;
    bool odd = (((int)x / 16) + ((int)y / 16)) & 1;
    gtRgb_T c = odd ? gtRgb_T{40, 80, 160} : gtRgb_T{200, 200, 210};
    if (tx == 0 || ty == 0)
        return gt_scale(c, 1.35f);
    if (tx == 15 || ty == 15)
        return gt_scale(c, 0.5f);
    return c;
}

gtRgb_T (*const painters[9])(float, float) = {rock, grass, sand, snow, moss, earth, gravel, cracked, pattern};
const char* const names[9] = {
    "texturas\\mave0.bmp", "texturas\\mave1.bmp", "texturas\\mave2.bmp", "texturas\\mave3.bmp",
    "texturas\\mave4.bmp", "texturas\\mave5.bmp", "texturas\\mave6.bmp", "texturas\\mave7.bmp",
    "texturas\\3dpat1.bmp",
};

int gen_textures(const std::string& dataDir)
{
    for (int t = 0; t < 9; t++) {
        std::vector<gtRgb_T> pixels(SIDE * SIDE);
        for (int y = 0; y < SIDE; y++)
            for (int x = 0; x < SIDE; x++)
                pixels[y * SIDE + x] = painters[t]((float)x + 0.5f, (float)y + 0.5f);
        if (gt_writeBmp(dataDir, names[t], SIDE, SIDE, pixels) != 0)
            return -1;
    }
    return 0;
}

}  // namespace

GEN_REGISTER("texturas", gen_textures);
