#pragma once
// The ray tracer's scene: three spheres, one point light, a colour ramp per
// sphere and the 160 x 120 image that is traced into and faded every frame.
#include <cstdint>

#include "geometry/vec4.h"

enum { RAY_W = 160, RAY_H = 120, RAY_SPHERES = 3 };

struct sphere_T {
    vec4_T center;        // w = 1
    double radius;
    int32_t reflective;   // non-zero for the one mirror sphere
};

// The table index is a sphere's identity: it selects its colour ramp.
extern sphere_T raySpheres[RAY_SPHERES];
// Ramp i belongs to sphere i: 256 shades, 0x00RRGGBB, darkest at entry 0.
extern uint32_t sphereRamps[RAY_SPHERES][256];
// Pixel (x, y) at y * 160 + x, 0x00RRGGBB.
extern uint32_t rayImage[RAY_W * RAY_H];
extern vec4_T rayLight;
extern double rayClock;     // animation time; runs on across runs of the effect
extern int32_t rayCount;    // ray/sphere tests in the current frame

// Puts the spheres at their starting places and sizes.
void ray_createSpheres();
void ray_buildRamps();

// Moves the spheres and the light to time rayClock, then advances the clock.
void ray_animate();

// Three quarters of every channel at once, rounded down by the shift; the top
// byte becomes 0.
inline uint32_t ray_fadePixel(uint32_t p) { return ((p >> 2) & 0x3F3F3Fu) * 3; }

void ray_fadeImage();
