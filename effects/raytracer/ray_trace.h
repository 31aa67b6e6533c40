#pragma once
// Tracing of the ray tracer's image: a four-level screen subdivision that
// keeps, per cell, only the spheres whose projected bounding square touches
// it, and per pixel the nearest hit, its shadow test, its diffuse shade and,
// on the mirror sphere, the colour of the sphere its normal points at.
#include <cstdint>

#include "effects/raytracer/ray_scene.h"

enum { RAY_LEVELS = 4 };

struct rayRect_T {
    int32_t x0, y0, x1, y1;
};

// Intersections (0, 1 or 2) of the line through a and b with the sphere, in
// double precision, as parameters t of a + t (b - a). nearRoot is written
// when there is a hit, farRoot only for two. Counts one test in rayCount.
int raySphereHit(const sphere_T& s, const vec4_T& a, const vec4_T& b, double* nearRoot, double* farRoot);

// 1 when a corner of b lies in a or a corner of a lies in b, edges included.
// Rectangles that cross like a plus sign have no such corner: 0.
int rectsOverlap(const rayRect_T& a, const rayRect_T& b);

// The sphere's bounding square on the 160 x 120 image.
rayRect_T ray_projectSquare(const sphere_T& s);

// Ramp entry for a cosine d between the normal and the light direction:
// trunc(255 d^3), 0 when facing away.
int ray_lightIndex(float d);

// A mirror pixel keeps three quarters of its colour and takes a quarter of
// entry 63 of the reflected sphere's ramp.
uint32_t ray_reflectBlend(uint32_t p, int other);

// Traces [x0, x1) x [y0, y1) of rayImage against the spheres whose active
// flag is set, splitting until level 4. Pixels that nothing hits keep their
// (faded) colour.
void traceCell(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int level, const int32_t active[RAY_SPHERES]);
