#include <cmath>
#include <string>

#include "formats/bmp_writer.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_textures.h"

float gt_hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = (uint32_t)x * 0x8DA6B343u ^ (uint32_t)y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (float)(h & 0xFFFFFF) / (float)0xFFFFFF;
}

static int32_t wrap(int32_t i, int period)
{
    return ((i % period) + period) % period;
}

float gt_noise(float x, float y, int period, uint32_t seed)
{
    int32_t ix = (int32_t)std::floor(x), iy = (int32_t)std::floor(y);
    float fx = x - (float)ix, fy = y - (float)iy;
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    int32_t x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    int32_t y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    float a = gt_hash(x0, y0, seed), b = gt_hash(x1, y0, seed);
    float c = gt_hash(x0, y1, seed), d = gt_hash(x1, y1, seed);
    float top = a + (b - a) * sx, bottom = c + (d - c) * sx;
    return top + (bottom - top) * sy;
}

float gt_fbm(float px, float py, int side, int cells, int octaves, uint32_t seed)
{
    float sum = 0, weight = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        float scale = (float)cells / (float)side;
        sum += weight * gt_noise(px * scale, py * scale, cells, seed + 101u * (uint32_t)o);
        total += weight;
        weight *= 0.5f;
        cells *= 2;
    }
    return sum / total;
}

void gt_cells(float px, float py, int side, int cells, uint32_t seed, float* d1, float* d2)
{
    float x = px * (float)cells / (float)side, y = py * (float)cells / (float)side;
    int32_t cx = (int32_t)std::floor(x), cy = (int32_t)std::floor(y);
    *d1 = *d2 = 9.0f;
    for (int j = -1; j <= 1; j++) {
        for (int i = -1; i <= 1; i++) {
            int32_t gx = cx + i, gy = cy + j;
            int32_t wx = wrap(gx, cells), wy = wrap(gy, cells);
            float fx = (float)gx + gt_hash(wx, wy, seed) - x;
            float fy = (float)gy + gt_hash(wx, wy, seed + 7u) - y;
            float d = std::sqrt(fx * fx + fy * fy);
            if (d < *d1) {
                *d2 = *d1;
                *d1 = d;
            } else if (d < *d2) {
                *d2 = d;
            }
        }
    }
}

gtRgb_T gt_mix(gtRgb_T a, gtRgb_T b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

gtRgb_T gt_scale(gtRgb_T c, float k)
{
    return {c.r * k, c.g * k, c.b * k};
}

static uint8_t toByte(float v)
{
    return v <= 0 ? 0 : v >= 255 ? 255 : (uint8_t)(v + 0.5f);
}

int gt_writeBmp(const std::string& dataDir, const char* name, int width, int height,
                const std::vector<gtRgb_T>& pixels)
{
    std::vector<uint8_t> bgr((size_t)width * height * 4);
    for (size_t i = 0; i < (size_t)width * height; i++) {
        bgr[3 * i] = toByte(pixels[i].b);
        bgr[3 * i + 1] = toByte(pixels[i].g);
        bgr[3 * i + 2] = toByte(pixels[i].r);
    }
    image24_T image{24, (uint32_t)width, (uint32_t)height, bgr.data()};
    std::vector<uint8_t> bytes = bmp_encode24(&image);
    return gen_writeFile(dataDir, name, bytes.data(), bytes.size());
}
