#include "effects/raytracer/ray_scene.h"

#include <cmath>

sphere_T raySpheres[RAY_SPHERES];
uint32_t sphereRamps[RAY_SPHERES][256];
uint32_t rayImage[RAY_W * RAY_H];
vec4_T rayLight(0.0f, 0.0f, 0.0f, 1.0f);
double rayClock = 0.0;
int32_t rayCount = 0;

void ray_createSpheres() {
    // The radii are single-precision constants widened to double.
    raySpheres[0].center.set(-2.5f, 0.0f, 10.5f, 1.0f);
    raySpheres[0].radius = 1.3f;
    raySpheres[0].reflective = 0;
    raySpheres[1].center.set(0.0f, 2.0f, 10.5f, 1.0f);
    raySpheres[1].radius = 0.8f;
    raySpheres[1].reflective = 0;
    raySpheres[2].center.set(1.5f, 0.0f, 7.5f, 1.0f);
    raySpheres[2].radius = 2.0f;
    raySpheres[2].reflective = 1;
}

static uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

void ray_buildRamps() {
    // Entries 0..191 climb from half to full brightness in the sphere's own
    // colour; 192..255 add a highlight of the other channels.
    for (uint32_t i = 0; i < 256; i++) {
        const uint32_t h = i / 2;
        const uint32_t k = i >= 192 ? i - 192 : 0;
        sphereRamps[0][i] = rgb(128 + h, 2 * k, 4 * k);
        sphereRamps[1][i] = rgb(128, 128 + h, h | 2 * k);
        sphereRamps[2][i] = rgb(4 * k, 4 * k, 128 + h);
    }
}

void ray_animate() {
    // 0.4, 1.4 and 1.1 are single-precision constants, the rest double.
    const double t = rayClock;
    raySpheres[0].center.z = (float)(11.5 + 4.0 * std::sin(0.3 * t));
    raySpheres[1].center.x = (float)(0.5 + 2.0 * std::sin(0.3 * t) * std::cos(0.2 * t));
    raySpheres[1].center.y = (float)(-0.5 + 2.0 * std::cos(0.2 * t));
    raySpheres[1].center.z = (float)(6.5 + std::cos(2.3 * t));
    raySpheres[2].center.x = (float)(2.0 + 2.0 * std::sin(0.4f * t));
    raySpheres[2].center.z = (float)(11.5 + 2.0 * std::cos(0.4f * t));
    rayLight.set((float)(20.0 * std::sin(0.4f * t) * std::cos(1.4f * t)), (float)(10.0 * std::cos(1.4f * t)),
                 (float)(-10.0 + 20.0 * std::cos(1.1f * t)), 1.0f);
    rayClock += 0.2f;
}

void ray_fadeImage() {
    for (uint32_t& p : rayImage)
        p = ray_fadePixel(p);
}
