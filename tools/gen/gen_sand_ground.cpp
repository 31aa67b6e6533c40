// Ground height maps of the sand effect (bytes 0..255; the effect uses half
// of each as the ground's height, and sand slides off anything steeper than
// about 15 units a cell).
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tools/gen/gen_fonts.h"
#include "tools/gen/gen_sand.h"
#include "tools/gen/gen_textures.h"

namespace {
// The group's name, raised out of the dunes.
const char groupName[] = "SIROCO";

uint8_t gs_byte(float v)
{
    return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v + 0.5f);
}

// Dune height 0..1 at a point: crests across the wind, a long gentle
// windward slope and a steep lee side, bent and varied by noise.
float gs_duneShape(float x, float y)
{
    float bend = 28.0f * gt_noise(x / 60.0f, y / 60.0f, 64, 11) + 12.0f * gt_noise(x / 23.0f, y / 23.0f, 64, 12);
    float d = x * 0.92f + y * 0.39f + bend;
    float p = d / 74.0f - std::floor(d / 74.0f);
    float profile = p < 0.72f ? gs_smoothstep(0.0f, 0.72f, p) : gs_smoothstep(1.0f, 0.72f, p);
    float swell = 0.55f + 0.45f * gt_noise(x / 90.0f, y / 90.0f, 64, 13);
    return profile * swell;
}
}

float gs_strokeDistance(const char* strokes, float px, float py, float ox, float oy, float unit)
{
    float best = 1e9f;
    float lastX = 0, lastY = 0;
    int havePoint = 0;
    const char* s = strokes;
    while (*s) {
        if (*s == ' ') {
            s++;
            continue;
        }
        if (*s == '|') {
            havePoint = 0;
            s++;
            continue;
        }
        char* end;
        float gx = std::strtof(s, &end);
        if (end == s || *end != ',')
            break;
        float gy = std::strtof(end + 1, &end);
        s = end;
        float x = ox + gx * unit, y = oy + gy * unit;
        if (havePoint) {
            float ex = x - lastX, ey = y - lastY;
            float len2 = ex * ex + ey * ey;
            float t = len2 > 0 ? gs_clamp01(((px - lastX) * ex + (py - lastY) * ey) / len2) : 0;
            float dx = px - (lastX + t * ex), dy = py - (lastY + t * ey);
            best = std::fmin(best, std::sqrt(dx * dx + dy * dy));
        }
        lastX = x;
        lastY = y;
        havePoint = 1;
    }
    return best;
}

std::vector<uint8_t> gs_dunes()
{
    std::vector<uint8_t> h((size_t)GS_W * GS_H);
    for (int y = 0; y < GS_H; y++)
        for (int x = 0; x < GS_W; x++) {
            float ripple = gt_noise(x / 5.0f, y / 9.0f, 256, 14);
            h[(size_t)y * GS_W + x] = gs_byte(30.0f + 150.0f * gs_duneShape((float)x, (float)y) + 10.0f * ripple);
        }
    return h;
}

// The dunes with the name standing on them as rounded ridges: a flat top
// with steep flanks that sand cannot hold.
std::vector<uint8_t> gs_logoGround()
{
    std::vector<uint8_t> h = gs_dunes();
    const int letters = (int)std::strlen(groupName);
    const float unit = 8.0f, advance = 5.8f * unit, radius = 7.0f;
    const float left = (GS_W - (letters * advance - 2.0f * unit)) / 2.0f;
    const float top = (GS_H - 6.0f * unit) / 2.0f - 10.0f;
    for (int y = 0; y < GS_H; y++)
        for (int x = 0; x < GS_W; x++) {
            float d = 1e9f;
            for (int i = 0; i < letters; i++) {
                const char* strokes = genFont_strokes(groupName[i]);
                if (strokes)
                    d = std::fmin(d, gs_strokeDistance(strokes, x + 0.5f, y + 0.5f, left + i * advance, top, unit));
            }
            if (d >= radius)
                continue;
            float r = d / radius;
            float ridge = 255.0f * std::sqrt(1.0f - r * r * r * r);
            uint8_t& cell = h[(size_t)y * GS_W + x];
            cell = std::fmax(cell, gs_byte(ridge));
        }
    return h;
}

// A ground for the relief: a dome over its carved sun, so the sand leaves
// the disc first and then the rays in widening rings, the two bands of signs
// on lower shelves, and low dunes over the rest of the wall.
std::vector<uint8_t> gs_sunMound()
{
    std::vector<uint8_t> h((size_t)GS_W * GS_H);
    for (int y = 0; y < GS_H; y++)
        for (int x = 0; x < GS_W; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float v = 20.0f + 50.0f * gs_duneShape(fx * 1.3f + 40.0f, fy * 1.3f);
            float r = std::sqrt((fx - 160) * (fx - 160) + (fy - 120) * (fy - 120));
            v = std::fmax(v, 250.0f - 1.4f * r);
            float band = std::fmin(std::fabs(fy - 30.0f), std::fabs(fy - 210.0f));
            if (band < 26.0f)
                v = std::fmax(v, 120.0f - 2.0f * band + 6.0f * gt_noise(fx / 9.0f, fy / 9.0f, 64, 15));
            h[(size_t)y * GS_W + x] = gs_byte(v);
        }
    return h;
}
