#pragma once
// The terrain of the fly-through: a square height field on a regular grid,
// written as the mesh "PLAYApr.MAC".
#include <vector>

constexpr int TERRAIN_CELLS = 128;                 // cells per side
constexpr int TERRAIN_SIDE = TERRAIN_CELLS + 1;    // vertices per side
constexpr float TERRAIN_ORIGIN = -640.0f;          // x and y of the first vertex
constexpr float TERRAIN_STEP = 25.0f;              // grid spacing
constexpr float TERRAIN_WATER = 33.0f;             // lakes and rivers lie flat at this height

// Heights of the grid, row by row (y), TERRAIN_SIDE x TERRAIN_SIDE, with
// the valley cut for the camera path and water filled in.
std::vector<float> terrain_heights();
