#pragma once
// A fixed array of point particles in the plane, moved one step per frame by
// velocity, gravity and damping, kept in a box (bounce) or culled outside it,
// and optionally pushed or pulled by a point. Component 0 of every pair is
// the row (growing downward), component 1 the column. Drawing is the
// screens' business (particles_draw.h).
#include <cstdint>

struct particle_T {
    float position[2];
    float velocity[2];
    int32_t alive;              // 1 drawn, 0 not drawn
};

enum {
    PARTICLE_BOUNCE = 0,        // reflect off the box walls
    PARTICLE_CULL = 1,          // alive only while inside the box
};

struct particleSystem_T {
    uint32_t count = 0;
    particle_T* particles = nullptr;
    int32_t boundMode = PARTICLE_CULL;
    float boxMin[2] = {0, 0};
    float boxMax[2] = {0, 0};
    float gravity[2] = {0, 0};  // subtracted from the velocity every step
    float bounce = 0;           // restitution on a wall hit
    float damping = 0;          // velocity factor per step

    particleSystem_T() = default;
    ~particleSystem_T();
    particleSystem_T(const particleSystem_T&) = delete;
    particleSystem_T& operator=(const particleSystem_T&) = delete;

    void init(uint32_t n);
    void release();
    void reset();
    // Both use crt_rand, two draws per particle (row, then column).
    void randomPositions(uint32_t range0, uint32_t range1);
    // Per particle and component: a sign draw, then a magnitude draw; each
    // component ends in -n/100 .. n/100 in steps of 0.01.
    void randomVelocities(uint32_t n);
    // Negative strength pulls toward the point, positive pushes away; the
    // velocity changes by |strength| / distance. A particle exactly on the
    // point feels nothing.
    void attract(float strength, const float point[2]);
    void step();
};

// rand / (32767 / range) with unsigned divisions, the screens' way of
// spreading one draw of crt_rand over 0 .. about range. A range of 0 or above
// 32767 would divide by zero and gives 0; the draw is made either way so the
// generator's sequence does not depend on it.
uint32_t particles_randSpread(uint32_t range);
