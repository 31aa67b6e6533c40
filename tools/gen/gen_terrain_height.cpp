// The height field: rolling hills in the south-west where the flight starts
// low along a valley, ridged mountains rising toward the north-east where it
// climbs, and a valley cut along the camera path so that the ground stays
// well below the camera wherever it flies.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/fly_path.h"
#include "geometry/spline.h"
#include "tools/gen/gen_terrain.h"

namespace {

constexpr float PATH_CLEARANCE = 36.0f;    // ground at least this far under the path
constexpr float VALLEY_WALL = 0.0035f;     // valley sides rise by this x distance squared
constexpr float VALLEY_BLEND = 40.0f;      // width of the smooth seam between valley and land
constexpr int PATH_SAMPLES = 4000;

float smoothstep(float e0, float e1, float x)
{
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Integer hash of a lattice point to [0, 1).
float lattice(int32_t ix, int32_t iy, uint32_t seed)
{
    uint32_t h = (uint32_t)ix * 374761393u + (uint32_t)iy * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (float)(h & 0xFFFFFF) / 16777216.0f;
}

// Value noise in [0, 1) with quintic fades.
float valueNoise(float x, float y, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = (int32_t)fx, iy = (int32_t)fy;
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
    ty = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
    float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Each octave is turned by about 37 degrees so that no feature lines up
// with the lattice (or with the mesh grid).
void nextOctave(float& x, float& y, float lacunarity)
{
    const float c = 0.8f, s = 0.6f;
    float nx = (c * x - s * y) * lacunarity + 17.1f;
    y = (s * x + c * y) * lacunarity - 9.7f;
    x = nx;
}

float fbm(float x, float y, uint32_t seed, int octaves)
{
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amplitude * valueNoise(x, y, seed + o);
        norm += amplitude;
        amplitude *= 0.5f;
        nextOctave(x, y, 2.03f);
    }
    return sum / norm;
}

// Sharp crests where the noise crosses its middle value.
float ridged(float x, float y, uint32_t seed, int octaves)
{
    float sum = 0, amplitude = 0.5f, norm = 0, weight = 1;
    for (int o = 0; o < octaves; o++) {
        float r = 1.0f - std::fabs(2.0f * valueNoise(x, y, seed + o) - 1.0f);
        r = r * r * weight;
        weight = std::clamp(r * 1.5f, 0.0f, 1.0f);
        sum += amplitude * r;
        norm += amplitude;
        amplitude *= 0.5f;
        nextOctave(x, y, 2.11f);
    }
    return sum / norm;
}

float landHeight(float x, float y)
{
    // A gentle warp of the plane bends ridges and hill lines.
    float wx = x + 140.0f * (fbm(x / 700.0f, y / 700.0f, 71, 2) - 0.5f);
    float wy = y + 140.0f * (fbm(x / 700.0f + 5.2f, y / 700.0f + 1.3f, 73, 2) - 0.5f);
    float hills = 170.0f * fbm(wx / 380.0f, wy / 380.0f, 11, 4) - 20.0f;
    // Mountains rise toward the north-east, and a taller western range stands
    // ahead of the camera where the path turns back south-west.
    float northEast = smoothstep(600.0f, 1900.0f, 0.45f * x + 0.9f * y);
    float west = smoothstep(750.0f, 1200.0f, y) * smoothstep(800.0f, 300.0f, x);
    float mountains = 90.0f + 560.0f * (1.0f + 0.6f * west) * ridged(wx / 620.0f, wy / 620.0f, 41, 4);
    float toMountains = std::max(northEast, west);
    return hills + (mountains - hills) * toMountains;
}

// Smooth minimum: never above min(a, b).
float smoothMin(float a, float b, float k)
{
    float h = std::clamp(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
    return b + (a - b) * h - k * h * (1.0f - h);
}

}

std::vector<float> terrain_heights()
{
    spline_T path(FLY_PATH_POINTS, flyPath);
    std::vector<vec4_T> samples(PATH_SAMPLES);
    for (int i = 0; i < PATH_SAMPLES; i++)
        samples[i] = path.position((float)i / PATH_SAMPLES);

    std::vector<float> heights((size_t)TERRAIN_SIDE * TERRAIN_SIDE);
    for (int gy = 0; gy < TERRAIN_SIDE; gy++) {
        for (int gx = 0; gx < TERRAIN_SIDE; gx++) {
            float x = TERRAIN_ORIGIN + gx * TERRAIN_STEP, y = TERRAIN_ORIGIN + gy * TERRAIN_STEP;
            // The valley: the lower envelope of paraboloids hanging under
            // every point of the path.
            float valley = 1e9f;
            for (const vec4_T& p : samples) {
                float dx = x - p.x, dy = y - p.y;
                valley = std::min(valley, p.z - PATH_CLEARANCE + VALLEY_WALL * (dx * dx + dy * dy));
            }
            float h = smoothMin(landHeight(x, y), valley, VALLEY_BLEND);
            heights[(size_t)gy * TERRAIN_SIDE + gx] = std::max(h, TERRAIN_WATER);
        }
    }
    return heights;
}
