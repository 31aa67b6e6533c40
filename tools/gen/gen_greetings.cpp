// The closing picture "zant\theend.pcx", 320 x 240: a striped sun setting
// behind mountains over a perspective grid, with THE END in chrome tubes
// above it. The greetings screen averages it in twice and adds it once, each
// time shaken, so it is kept at about half brightness (the sum comes to
// about 1.75 times the picture) and has no black pixel (0 is transparent).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "formats/pcx_writer.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_fonts.h"

namespace {

const int W = 320, H = 240;
const int horizon = 158;

struct rgb_T {
    float r, g, b;
};

rgb_T mix(rgb_T a, rgb_T b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint32_t pack(rgb_T c)
{
    auto byte = [](float v) { return (uint32_t)std::clamp(v + 0.5f, 0.0f, 255.0f); };
    return (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

// A small deterministic hash for the stars.
uint32_t hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}

rgb_T sky(int x, int y)
{
    const rgb_T night = {14, 8, 48}, dusk = {150, 30, 110}, glow = {255, 130, 60};
    float t = (float)y / horizon;
    rgb_T c = t < 0.6f ? mix(night, dusk, t / 0.6f) : mix(dusk, glow, (t - 0.6f) / 0.4f);
    uint32_t h = hash((uint32_t)(y * W + x));
    if (y < 100 && h % 420 == 0)
        c = mix(c, {255, 240, 255}, 0.9f - y / 140.0f);
    return c;
}

// The sun: a disc on the horizon, yellow above to rose below, cut by
// horizontal gaps that widen toward the horizon.
bool sun(int x, int y, rgb_T* out)
{
    const float cx = 160, cy = horizon - 16, radius = 62;
    float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
    if (dx * dx + dy * dy > radius * radius)
        return false;
    float below = y - (cy - radius * 0.45f);
    if (below > 0) {
        int band = (int)below % 8;
        if (band < 1 + (int)(below / 12))
            return false;
    }
    *out = mix({255, 235, 90}, {255, 60, 130}, (y - (cy - radius)) / (radius * 1.1f));
    return true;
}

float ridge(int x)
{
    float fx = (float)x;
    return horizon - 22 - 14 * std::sin(fx * 0.031f + 1.3f) - 8 * std::sin(fx * 0.083f + 0.4f) -
           4 * std::sin(fx * 0.21f) + 18 * std::exp(-(fx - 160) * (fx - 160) / 900.0f);
}

rgb_T ground(int x, int y)
{
    const rgb_T floor = {22, 6, 40}, line = {255, 70, 200};
    float depth = (float)(y - horizon) + 0.5f;         // 0 at the horizon
    // Horizontal lines closer together toward the horizon.
    float z = 400.0f / depth;
    float across = std::fabs(std::fmod(z, 6.0f) - 3.0f);
    float hline = std::clamp(1.0f - (3.0f - across) * depth * 0.05f, 0.0f, 1.0f);
    // Lines fanning out from the vanishing point at the sun's centre.
    float u = (x + 0.5f - 160) / depth * 8.0f;
    float nearest = std::fabs(u - std::round(u / 14.0f) * 14.0f);
    float vline = std::clamp(1.0f - nearest * depth / 10.0f, 0.0f, 1.0f);
    float fade = std::clamp(depth / 60.0f, 0.25f, 1.0f);
    return mix(floor, line, std::max(hline, vline) * fade);
}

int writeClosingPicture(const std::string& dataDir)
{
    std::vector<uint32_t> px((size_t)W * H);
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            rgb_T c;
            if (y >= horizon)
                c = ground(x, y);
            else if (y > ridge(x))
                c = mix({38, 12, 58}, {70, 20, 80}, (y - ridge(x)) / 30.0f);
            else if (!sun(x, y, &c))
                c = sky(x, y);
            px[(size_t)y * W + x] = pack(c);
        }
    }

    // THE END, centred above the sun.
    const genTubeStyle_T style = {8.0f, 4.6f, 2.2f, 0xE8F8FF, 0x40A0FF, 0x100420};
    const char text[] = "THE END";
    const float advance = 44;
    float x = (W - (advance * 6 + 32)) / 2;
    for (const char* p = text; *p; p++, x += advance)
        genFont_drawTube(px.data(), W, H, x, 22, genFont_strokes(*p), style);

    // Half brightness, and no pixel left at 0.
    for (uint32_t& p : px) {
        uint32_t r = ((p >> 16) & 0xFF) * 9 / 16, g = ((p >> 8) & 0xFF) * 9 / 16, b = (p & 0xFF) * 9 / 16;
        p = (r << 16) | (g << 8) | std::max(b, 1u);
    }
    std::vector<uint8_t> pcx = pcx_encode24(px.data(), W, H);
    return gen_writeFile(dataDir, "zant\\theend.pcx", pcx.data(), pcx.size());
}

}  // namespace

GEN_REGISTER("closing picture", writeClosingPicture);
