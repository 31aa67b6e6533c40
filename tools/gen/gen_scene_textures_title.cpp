// Writes ".\pantallazos\goodbad.bmp", the 320 x 240 title of the textured
// 3DS scene: a picture cut in two along a glowing diagonal seam, a warm dawn
// on the upper left with "GOOD" and a smouldering dusk on the lower right
// with "BAD", the words built of shaded beads (one per pixel of the console
// font). The scene also shows the picture's upper-left corner as a small
// inset while the torus turns.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/console_font.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_textures.h"

namespace {

constexpr int W = 320, H = 240;

// Signed distance-like value across the seam: negative on the dawn side.
float seam(int x, int y)
{
    const float wobble = 6.0f * std::sin(x * 0.05f) + 10.0f * gt_noise(x / 24.0f, 1.5f, 64, 1501);
    return (float)y - (240.0f - 0.75f * x) - wobble + 10.0f;
}

gtRgb_T dawn(int x, int y)
{
    const float t = (float)y / H;
    gtRgb_T c = gt_mix({255, 236, 190}, {250, 150, 90}, t * 1.3f);
    const float cloud = gt_fbm((float)x, (float)y * 2.5f, W, 6, 4, 1502);
    return gt_mix(c, {255, 250, 240}, std::max(0.0f, cloud - 0.55f) * 1.8f);
}

gtRgb_T dusk(int x, int y)
{
    const float n = gt_fbm((float)x, (float)y, W, 8, 5, 1503);
    const gtRgb_T c = gt_mix({14, 4, 20}, {70, 10, 30}, n);
    const float ember = gt_hash(x, y, 1504);
    return ember > 0.996f ? gt_mix(c, {255, 120, 40}, 0.8f) : c;
}

gtRgb_T background(int x, int y)
{
    const float s = seam(x, y);
    gtRgb_T c = s < 0 ? dawn(x, y) : dusk(x, y);
    const float glow = std::exp(-s * s / 18.0f);
    return gt_mix(c, {255, 200, 120}, glow);
}

// One bead of radius r at (cx, cy): lit from the upper left, with a highlight.
void bead(std::vector<gtRgb_T>& pixels, float cx, float cy, float r, gtRgb_T base)
{
    for (int y = (int)(cy - r); y <= (int)(cy + r) + 1; y++)
        for (int x = (int)(cx - r); x <= (int)(cx + r) + 1; x++) {
            if (x < 0 || x >= W || y < 0 || y >= H)
                continue;
            const float dx = (x + 0.5f - cx) / r, dy = (y + 0.5f - cy) / r;
            const float q = 1.0f - dx * dx - dy * dy;
            if (q < 0)
                continue;
            const float dz = std::sqrt(q);
            const float lambert = std::max(0.0f, (-dx - dy + dz) * 0.577f);
            const float specular = std::pow(std::max(0.0f, (-dx * 0.4f - dy * 0.4f + dz * 0.82f)), 24.0f);
            gtRgb_T c = gt_scale(base, 0.3f + 0.8f * lambert);
            c = gt_mix(c, {255, 255, 255}, specular);
            pixels[y * W + x] = c;
        }
}

void beadText(std::vector<gtRgb_T>& pixels, const char* text, int x0, int y0, int step, gtRgb_T base)
{
    for (int i = 0; text[i]; i++) {
        const char* at = std::strchr(conCharset, text[i]);
        if (!at || text[i] == ' ')
            continue;
        const uint8_t* glyph = conFont[at - conCharset];
        for (int r = 0; r < 7; r++)
            for (int c = 0; c < 5; c++)
                if (glyph[r] & (0x10 >> c))
                    bead(pixels, x0 + (i * 6 + c) * step + step / 2.0f, y0 + r * step + step / 2.0f,
                         step * 0.56f, base);
    }
}

int gen_goodbad(const std::string& dataDir)
{
    std::vector<gtRgb_T> pixels(W * H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            pixels[y * W + x] = background(x, y);
    beadText(pixels, "GOOD", 14, 16, 7, {40, 110, 200});
    beadText(pixels, "BAD", 150, 150, 9, {230, 40, 30});
    return gt_writeBmp(dataDir, ".\\pantallazos\\goodbad.bmp", W, H, pixels);
}

}

GEN_REGISTER("pantallazos\\goodbad.bmp", gen_goodbad);
