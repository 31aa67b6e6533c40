// Background pictures of the sand effect: a desert sunset and a carved
// sandstone relief, 8-bit with ramp palettes and ordered dithering.
#include <cmath>

#include "tools/gen/gen_sand.h"
#include "tools/gen/gen_textures.h"

namespace {
struct gsStop_T {
    float t;
    gtRgb_T c;
};

// Fills palette entries [first, first + count) with a ramp through the stops.
void gs_ramp(uint8_t* palette, int first, int count, const gsStop_T* stops, int stopCount)
{
    for (int i = 0; i < count; i++) {
        float t = (float)i / (float)(count - 1);
        int s = 0;
        while (s < stopCount - 2 && t > stops[s + 1].t)
            s++;
        float u = gs_clamp01((t - stops[s].t) / (stops[s + 1].t - stops[s].t));
        gtRgb_T c = gt_mix(stops[s].c, stops[s + 1].c, u);
        palette[(first + i) * 3] = (uint8_t)c.r;
        palette[(first + i) * 3 + 1] = (uint8_t)c.g;
        palette[(first + i) * 3 + 2] = (uint8_t)c.b;
    }
}

// A value 0..1 to an index of a ramp of `count` entries, dithered.
uint8_t gs_index(float v, int first, int count, int x, int y)
{
    float f = gs_clamp01(v) * (count - 1) + gs_dither(x, y);
    int i = (int)std::lround(f);
    return (uint8_t)(first + (i < 0 ? 0 : i >= count ? count - 1 : i));
}

const int SKY = 0, SKY_N = 192, LAND = 192, LAND_N = 64;
}

void gs_sunset(std::vector<uint8_t>* indices, uint8_t* palette)
{
    const gsStop_T sky[] = {
        {0.00f, {14, 8, 40}},    {0.30f, {70, 24, 92}},    {0.55f, {176, 52, 86}},
        {0.74f, {240, 118, 52}}, {0.90f, {255, 196, 92}},  {1.00f, {255, 248, 214}},
    };
    const gsStop_T land[] = {{0.0f, {8, 4, 16}}, {0.6f, {46, 18, 44}}, {1.0f, {110, 44, 58}}};
    gs_ramp(palette, SKY, SKY_N, sky, 6);
    gs_ramp(palette, LAND, LAND_N, land, 3);
    indices->assign((size_t)GS_W * GS_H, 0);
    const float sunX = 160, sunY = 128, sunR = 34, horizon = 168;
    for (int y = 0; y < GS_H; y++)
        for (int x = 0; x < GS_W; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            // Far mountains and near dunes as silhouettes, rim-lit toward the sun.
            float far = horizon - 10 - 26 * gt_fbm(fx, 0, 640, 5, 4, 21) - 10 * std::sin(fx / 37.0f);
            float nearRidge = 196 - 14 * std::sin(fx / 53.0f + 1.3f) - 9 * gt_noise(fx / 19.0f, 0, 64, 22);
            uint8_t& out = (*indices)[(size_t)y * GS_W + x];
            float sunDist = std::sqrt((fx - sunX) * (fx - sunX) + (fy - sunY) * (fy - sunY));
            if (fy > nearRidge) {
                float rim = std::exp(-(fy - nearRidge) / 3.0f) * 0.5f;
                out = gs_index(0.1f + rim + 0.1f * gt_noise(fx / 7, fy / 3, 64, 23), LAND, LAND_N, x, y);
                continue;
            }
            if (fy > far) {
                float glow = std::exp(-std::fabs(fx - sunX) / 70.0f);
                float rim = std::exp(-(fy - far) / 2.5f);
                out = gs_index(0.35f + 0.35f * glow * (0.4f + rim), LAND, LAND_N, x, y);
                continue;
            }
            // Sky: darker upward, glowing around the sun, with thin streaks of cloud.
            float t = 0.18f + 0.62f * (fy / horizon);
            t += 0.5f * std::exp(-sunDist / 55.0f);
            float streak = gt_noise(fx / 60.0f, fy / 4.0f, 64, 24);
            float band = gs_smoothstep(0.55f, 0.8f, streak) * gs_smoothstep(40, 90, fy) * (1 - gs_smoothstep(140, 160, fy));
            t -= 0.22f * band;
            if (sunDist < sunR)
                t = 0.97f + 0.03f * (1 - sunDist / sunR) - 0.25f * band;
            // A few stars high up.
            if (fy < 70 && gt_hash(x, y, 25) > 0.996f)
                t = 0.85f;
            out = gs_index(t, SKY, SKY_N, x, y);
        }
}

namespace {
// Hieroglyph-like signs on the grid of the font skeletons (4 x 6 units).
const char* const signs[] = {
    "2,2.4 1.2,1.7 1.2,0.6 2,0 2.8,0.6 2.8,1.7 2,2.4 2,6 | 0.6,3 3.4,3",   // ankh
    "0,3 1,2.2 3,2.2 4,3 3,3.8 1,3.8 0,3 | 2,2.4 2,3.6 | 1.5,3.8 1,5.5",  // eye
    "0,1.5 1,0.8 2,1.5 3,0.8 4,1.5 | 0,3 1,2.3 2,3 3,2.3 4,3 | 0,4.5 1,3.8 2,4.5 3,3.8 4,4.5",
    "1,6 1,1.5 2,0 3,1.5 | 1,3.5 3,3.5",                                   // reed
    "2,0.5 3.3,1.2 3.6,2.7 2.7,3.9 1.3,3.9 0.4,2.7 0.7,1.2 2,0.5 | 2,3.9 2,6 | 0.5,6 3.5,6",
    "0,6 0,2 2,0 4,2 4,6 | 1.3,6 1.3,3.5 2.7,3.5 2.7,6",                   // shrine
};

// Stone height 0..1 (1 = the face of the stone) at a pixel: block joints,
// a raised sun disc with carved rays in the middle, and two bands of signs.
float gs_stone(float x, float y)
{
    float h = 1.0f;
    // Courses of blocks, every other course shifted by half a block.
    int course = (int)(y / 60.0f);
    float jy = std::fabs(y - std::round(y / 60.0f) * 60.0f);
    float bx = x + (course % 2) * 40.0f;
    float jx = std::fabs(bx - std::round(bx / 80.0f) * 80.0f);
    h -= 0.6f * (1 - gs_smoothstep(0.5f, 2.5f, std::fmin(jy, jx)));
    // Sun disc and rays.
    float dx = x - 160, dy = y - 120, r = std::sqrt(dx * dx + dy * dy);
    if (r < 34)
        h = 1.0f + 0.35f * gs_smoothstep(34, 30, r) - 0.3f * (1 - gs_smoothstep(0.8f, 2.2f, std::fabs(r - 18)));
    float angle = std::atan2(dy, dx);
    float ray = std::fabs(std::remainder(angle, 6.2831853f / 16.0f)) * r;
    if (r > 42 && r < 86)
        h -= 0.5f * (1 - gs_smoothstep(1.0f, 2.6f, ray)) * gs_smoothstep(42, 48, r) * gs_smoothstep(86, 78, r);
    // Bands of signs above and below, inside carved frames.
    for (float top : {14.0f, 190.0f}) {
        float frame = std::fmin(std::fabs(y - (top - 4)), std::fabs(y - (top + 40)));
        if (x > 14 && x < 306)
            h -= 0.4f * (1 - gs_smoothstep(0.6f, 2.0f, frame));
        if (y > top && y < top + 36) {
            int slot = (int)((x - 20) / 28.0f);
            if (x >= 20 && slot < 10) {
                const char* sign = signs[(slot * 7 + (top > 100 ? 3 : 0)) % 6];
                float d = gs_strokeDistance(sign, x, y, 20 + slot * 28 + 6, top + 3, 5.0f);
                h -= 0.5f * (1 - gs_smoothstep(0.8f, 2.4f, d));
            }
        }
    }
    return h;
}
}

void gs_relief(std::vector<uint8_t>* indices, uint8_t* palette)
{
    const gsStop_T stone[] = {
        {0.0f, {34, 20, 14}},     {0.35f, {120, 78, 46}}, {0.7f, {206, 160, 104}},
        {0.9f, {240, 206, 150}},  {1.0f, {255, 238, 196}},
    };
    gs_ramp(palette, 0, 256, stone, 5);
    indices->assign((size_t)GS_W * GS_H, 0);
    // Light from the upper left, a little above the wall.
    const float lx = -0.55f, ly = -0.62f, lz = 0.56f;
    for (int y = 0; y < GS_H; y++)
        for (int x = 0; x < GS_W; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float grain = 0.06f * gt_fbm(fx, fy, 640, 40, 4, 41);
            float hx = (gs_stone(fx + 1, fy) - gs_stone(fx - 1, fy)) * 3.0f;
            float hy = (gs_stone(fx, fy + 1) - gs_stone(fx, fy - 1)) * 3.0f;
            float nx = -hx, ny = -hy, nz = 1.0f;
            float len = std::sqrt(nx * nx + ny * ny + nz * nz);
            float lambert = (nx * lx + ny * ly + nz * lz) / len;
            float depth = gs_stone(fx, fy);
            float shade = 0.15f + 0.75f * lambert * (0.75f + 0.25f * depth) + grain;
            shade *= 0.88f + 0.12f * gt_fbm(fx, fy, 640, 6, 3, 42);
            (*indices)[(size_t)y * GS_W + x] = gs_index(shade, 0, 256, x, y);
        }
}
