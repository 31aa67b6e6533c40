// Writes ".\pantallazos\bicho.bmp", the 320 x 240 title of the terrain
// fly-through: the demo's name in large lettering over a night landscape of
// ridges and a lit valley, all drawn procedurally.
#include <cmath>
#include <cstring>
#include <string>

#include "engine/console_font.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_textures.h"

namespace {

constexpr int W = 320, H = 240;
constexpr int HORIZON = 150;

gtRgb_T sky(int x, int y)
{
    float t = (float)y / HORIZON;
    gtRgb_T c = gt_mix({8, 10, 36}, {130, 64, 96}, t * t);
    float dx = (float)x - 44, dy = (float)y - 104;
    float d = std::sqrt(dx * dx + dy * dy);
    if (d < 20)
        return gt_mix({250, 236, 200}, {214, 196, 160}, d / 20);
    if (d < 40)   // the moon's glow
        c = gt_mix(c, {120, 100, 120}, (40 - d) / 20 * 0.5f);
    float star = gt_hash(x, y, 901);
    if (star > 0.994f && y < HORIZON - 20)
        return gt_mix(c, {255, 255, 255}, (star - 0.994f) / 0.006f);
    return c;
}

// Ridge height above the horizon of layer l (0 farthest) at column x.
float ridge(int layer, int x)
{
    float n = gt_fbm((float)x, (float)(layer * 37), W, 5 + 3 * layer, 4, 910 + layer);
    return 24.0f + 70.0f * n - 22.0f * (float)layer;
}

gtRgb_T valley(int x, int y)
{
    // Ground under the ridges: fields of the terrain's own textures' colours,
    // shaded by a light from the moon's side.
    float depth = (float)(y - HORIZON + 40) / (H - HORIZON + 40);
    float n = gt_fbm((float)x, (float)y * 2.0f, W, 8, 4, 930);
    gtRgb_T c = gt_mix({40, 70, 32}, {150, 128, 80}, n);
    float light = 0.35f + 0.65f * depth * (0.7f + 0.3f * (float)x / W);
    return gt_scale(c, light);
}

gtRgb_T landscape(int x, int y)
{
    gtRgb_T c = sky(x, y);
    static const gtRgb_T ridgeColours[3] = {{70, 60, 104}, {46, 44, 78}, {26, 30, 48}};
    for (int l = 0; l < 3; l++) {
        int top = HORIZON - (int)ridge(l, x);
        if (y >= top) {
            // Snow on the far peaks' tops.
            c = (l == 0 && y < top + 6 && ridge(l, x) > 70) ? gtRgb_T{190, 190, 220} : ridgeColours[l];
        }
    }
    int ground = HORIZON + 18 - (int)(10.0f * gt_noise((float)x / 40, 3, 8, 940));
    if (y >= ground)
        c = valley(x, y);
    return c;
}

// Text in the console font, each font pixel a scale x scale block, in a
// gradient from `top` to `bottom` with a dark shadow down and right.
void drawText(std::vector<gtRgb_T>& pixels, const char* text, int x0, int y0, int scale, gtRgb_T top,
              gtRgb_T bottom)
{
    for (int pass = 0; pass < 2; pass++) {
        int shadow = pass == 0 ? scale / 2 + 1 : 0;
        for (int i = 0; text[i]; i++) {
            const char* at = std::strchr(conCharset, text[i]);
            if (!at)
                continue;
            const uint8_t* glyph = conFont[at - conCharset];
            for (int r = 0; r < 7 * scale; r++) {
                for (int c = 0; c < 5 * scale; c++) {
                    if (!(glyph[r / scale] & (0x10 >> (c / scale))))
                        continue;
                    int px = x0 + i * 6 * scale + c + shadow, py = y0 + r + shadow;
                    if (px < 0 || px >= W || py < 0 || py >= H)
                        continue;
                    float t = (float)r / (7 * scale);
                    pixels[py * W + px] = pass == 0 ? gtRgb_T{10, 6, 20} : gt_mix(top, bottom, t);
                }
            }
        }
    }
}

int gen_title(const std::string& dataDir)
{
    std::vector<gtRgb_T> pixels(W * H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            pixels[y * W + x] = landscape(x, y);
    const char* name = "VARNEK";
    int scale = 6;
    int width = ((int)std::strlen(name) * 6 - 1) * scale;
    drawText(pixels, name, (W - width) / 2, 26, scale, {255, 236, 140}, {214, 120, 40});
    const char* sub = "3D ENGINE";
    int subWidth = ((int)std::strlen(sub) * 6 - 1) * 2;
    drawText(pixels, sub, (W - subWidth) / 2, 26 + 7 * scale + 10, 2, {220, 220, 255}, {150, 160, 220});
    return gt_writeBmp(dataDir, ".\\pantallazos\\bicho.bmp", W, H, pixels);
}

}  // namespace

GEN_REGISTER("pantallazos\\bicho.bmp", gen_title);
