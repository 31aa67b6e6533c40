#pragma once
// Procedural pictures for the renderer's ground textures and the terrain
// title: integer-hashed noise that tiles (every lattice wraps), so the same
// bytes come out on every run.
#include <cstdint>
#include <string>
#include <vector>

struct gtRgb_T {
    float r, g, b;   // 0..255
};

// 0..1 from a lattice point and a seed.
float gt_hash(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise at (x, y) in lattice units; the lattice repeats every
// period cells in both directions.
float gt_noise(float x, float y, int period, uint32_t seed);
// Octaves of gt_noise over a picture of side `side` pixels, tiling at that
// side: the first octave has `cells` cells across, each next one twice as
// many at half the weight. 0..1.
float gt_fbm(float px, float py, int side, int cells, int octaves, uint32_t seed);
// Distance to the nearest and second-nearest of one jittered point per cell
// (cells x cells, tiling at `side`), in cell units.
void gt_cells(float px, float py, int side, int cells, uint32_t seed, float* d1, float* d2);

gtRgb_T gt_mix(gtRgb_T a, gtRgb_T b, float t);
gtRgb_T gt_scale(gtRgb_T c, float k);

// Writes a width x height picture (rows top first) as a 24-bit BMP.
int gt_writeBmp(const std::string& dataDir, const char* name, int width, int height,
                const std::vector<gtRgb_T>& pixels);
