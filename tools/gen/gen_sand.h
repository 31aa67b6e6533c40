#pragma once
// Data of the sand effect: the script, the sand palette, the ground height
// maps and the background pictures, all 320 x 240 PCX files.
#include <cstdint>
#include <string>
#include <vector>

constexpr int GS_W = 320;
constexpr int GS_H = 240;

// 4 x 4 ordered dither threshold at a pixel, -0.5 .. 0.5 of one step.
float gs_dither(int x, int y);
float gs_clamp01(float v);
float gs_smoothstep(float e0, float e1, float v);

// Writes GS_W x GS_H palette indices with their palette (256 x r, g, b).
int gs_writePcx8(const std::string& dataDir, const char* name, const std::vector<uint8_t>& indices,
                 const uint8_t* palette);

// Distance from (px, py) to the polylines of a stroke skeleton ("x,y x,y |
// x,y ..."), grid point (0, 0) at (ox, oy), `unit` pixels per grid unit.
float gs_strokeDistance(const char* strokes, float px, float py, float ox, float oy, float unit);

// Ground heights (0..255 bytes, as the effect reads them).
std::vector<uint8_t> gs_dunes();
std::vector<uint8_t> gs_logoGround();
std::vector<uint8_t> gs_sunMound();

// Background pictures: indices and their palette.
void gs_sunset(std::vector<uint8_t>* indices, uint8_t* palette);
void gs_relief(std::vector<uint8_t>* indices, uint8_t* palette);
