// Stroke skeletons rendered as round tubes with a dark rim.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/gen/gen_fonts.h"

namespace {

struct segment_T {
    float ax, ay, bx, by;
};

// Parses "x,y x,y | x,y ..." into segments in pixels.
std::vector<segment_T> parseStrokes(const char* strokes, float originX, float originY, float unit)
{
    std::vector<segment_T> segments;
    bool havePrevious = false;
    float px = 0, py = 0;
    const char* p = strokes;
    while (*p) {
        if (*p == ' ') {
            p++;
            continue;
        }
        if (*p == '|') {
            havePrevious = false;
            p++;
            continue;
        }
        char* end;
        float x = std::strtof(p, &end);
        if (end == p || *end != ',')
            break;
        float y = std::strtof(end + 1, &end);
        p = end;
        x = originX + x * unit;
        y = originY + y * unit;
        if (havePrevious)
            segments.push_back({px, py, x, y});
        px = x;
        py = y;
        havePrevious = true;
    }
    return segments;
}

struct rgb_T {
    float r, g, b;
};

rgb_T unpack(uint32_t c)
{
    return {(float)((c >> 16) & 0xFF), (float)((c >> 8) & 0xFF), (float)(c & 0xFF)};
}

uint32_t pack(rgb_T c)
{
    auto byte = [](float v) { return (uint32_t)std::clamp(v + 0.5f, 0.0f, 255.0f); };
    return (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

}  // namespace

void genFont_drawTube(uint32_t* pixels, int width, int height, float originX, float originY,
                      const char* strokes, const genTubeStyle_T& style)
{
    std::vector<segment_T> segments = parseStrokes(strokes, originX, originY, style.unit);
    if (segments.empty())
        return;
    float reach = style.radius + style.outline;
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const segment_T& s : segments) {
        minX = std::min({minX, s.ax, s.bx});
        maxX = std::max({maxX, s.ax, s.bx});
        minY = std::min({minY, s.ay, s.by});
        maxY = std::max({maxY, s.ay, s.by});
    }
    int x0 = std::max(0, (int)std::floor(minX - reach));
    int x1 = std::min(width - 1, (int)std::ceil(maxX + reach));
    int y0 = std::max(0, (int)std::floor(minY - reach));
    int y1 = std::min(height - 1, (int)std::ceil(maxY + reach));

    // Light from the upper left, in front; the halfway vector for the highlight.
    const float lx = -0.45f, ly = -0.62f, lz = 0.64f;
    const float hl = std::sqrt(lx * lx + ly * ly + (lz + 1) * (lz + 1));
    const float hx = lx / hl, hy = ly / hl, hz = (lz + 1) / hl;
    rgb_T top = unpack(style.top), bottom = unpack(style.bottom), rim = unpack(style.rim);
    float gridTop = originY, gridBottom = originY + 6 * style.unit;

    const int samples = 4;
    for (int y = y0; y <= y1; y++) {
        for (int x = x0; x <= x1; x++) {
            rgb_T sum = {0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < samples; sy++) {
                for (int sx = 0; sx < samples; sx++) {
                    float px = x + (sx + 0.5f) / samples, py = y + (sy + 0.5f) / samples;
                    float best = 1e9f, nx = 0, ny = 0;
                    for (const segment_T& s : segments) {
                        float ex = s.bx - s.ax, ey = s.by - s.ay;
                        float len2 = ex * ex + ey * ey;
                        float t = len2 > 0 ? ((px - s.ax) * ex + (py - s.ay) * ey) / len2 : 0;
                        t = std::clamp(t, 0.0f, 1.0f);
                        float dx = px - (s.ax + t * ex), dy = py - (s.ay + t * ey);
                        float d2 = dx * dx + dy * dy;
                        if (d2 < best) {
                            best = d2;
                            nx = dx;
                            ny = dy;
                        }
                    }
                    float d = std::sqrt(best);
                    if (d >= reach)
                        continue;
                    covered++;
                    if (d >= style.radius) {
                        sum = {sum.r + rim.r, sum.g + rim.g, sum.b + rim.b};
                        continue;
                    }
                    // The tube's surface normal at this distance from its axis.
                    float k = d > 0 ? 1.0f / style.radius : 0;
                    float n0 = nx * k, n1 = ny * k;
                    float n2 = std::sqrt(std::max(0.0f, 1 - n0 * n0 - n1 * n1));
                    float diffuse = std::max(0.0f, n0 * lx + n1 * ly + n2 * lz);
                    float highlight = std::pow(std::max(0.0f, n0 * hx + n1 * hy + n2 * hz), 28.0f);
                    float f = std::clamp((py - gridTop) / (gridBottom - gridTop), 0.0f, 1.0f);
                    rgb_T base = {top.r + (bottom.r - top.r) * f, top.g + (bottom.g - top.g) * f,
                                  top.b + (bottom.b - top.b) * f};
                    float light = 0.28f + 0.9f * diffuse;
                    float shine = 235 * highlight;
                    sum = {sum.r + base.r * light + shine, sum.g + base.g * light + shine,
                           sum.b + base.b * light + shine};
                }
            }
            if (!covered)
                continue;
            float cover = (float)covered / (samples * samples);
            rgb_T under = unpack(pixels[y * width + x]);
            rgb_T mean = {sum.r / covered, sum.g / covered, sum.b / covered};
            mean = {std::min(mean.r, 255.0f), std::min(mean.g, 255.0f), std::min(mean.b, 255.0f)};
            pixels[y * width + x] = pack({under.r + (mean.r - under.r) * cover, under.g + (mean.g - under.g) * cover,
                                          under.b + (mean.b - under.b) * cover});
        }
    }
}
