#include "gfx2d/particles.h"

#include <cmath>
#include <cstdlib>

#include "platform/crand.h"

particleSystem_T::~particleSystem_T()
{
    release();
}

void particleSystem_T::init(uint32_t n)
{
    release();
    particles = (particle_T*)std::calloc(n ? n : 1, sizeof(particle_T));
    count = particles ? n : 0;
    for (uint32_t i = 0; i < count; i++)
        particles[i].alive = 1;
    boundMode = PARTICLE_CULL;
    boxMin[0] = 0;
    boxMin[1] = 0;
    boxMax[0] = 319;
    boxMax[1] = 199;
    gravity[0] = 0;
    gravity[1] = 0;
    bounce = 1.0f;
    damping = 1.0f;
}

void particleSystem_T::release()
{
    std::free(particles);
    particles = nullptr;
    count = 0;
}

void particleSystem_T::reset()
{
    for (uint32_t i = 0; i < count; i++)
        particles[i] = particle_T{{0, 0}, {0, 0}, 1};
}

uint32_t particles_randSpread(uint32_t range)
{
    uint32_t r = (uint32_t)crt_rand();
    uint32_t divisor = range ? (uint32_t)CRT_RAND_MAX / range : 0;
    return divisor ? r / divisor : 0;
}

void particleSystem_T::randomPositions(uint32_t range0, uint32_t range1)
{
    for (uint32_t i = 0; i < count; i++) {
        particles[i].position[0] = (float)particles_randSpread(range0);
        particles[i].position[1] = (float)particles_randSpread(range1);
    }
}

void particleSystem_T::randomVelocities(uint32_t n)
{
    for (uint32_t i = 0; i < count; i++) {
        for (int k = 0; k < 2; k++) {
            float sign = crt_rand() < 16383 ? -1.0f : 1.0f;
            float magnitude = (float)particles_randSpread(n);
            particles[i].velocity[k] = magnitude * sign * 0.01f;
        }
    }
}

void particleSystem_T::attract(float strength, const float point[2])
{
    for (uint32_t i = 0; i < count; i++) {
        particle_T& p = particles[i];
        float d0 = p.position[0] - point[0];
        float d1 = p.position[1] - point[1];
        float dist = std::sqrt(d0 * d0 + d1 * d1);
        if (dist == 0.0f)
            continue;
        float k = strength / (dist * dist);
        p.velocity[0] += k * d0;
        p.velocity[1] += k * d1;
    }
}

void particleSystem_T::step()
{
    particle_T* p = particles;
    uint32_t n = count;
    for (uint32_t i = 0; i < n; i++) {
        p[i].position[0] += p[i].velocity[0];
        p[i].position[1] += p[i].velocity[1];
    }
    for (uint32_t i = 0; i < n; i++) {
        p[i].velocity[0] -= gravity[0];
        p[i].velocity[1] -= gravity[1];
    }
    for (uint32_t i = 0; i < n; i++) {
        p[i].velocity[0] *= damping;
        p[i].velocity[1] *= damping;
    }
    if (boundMode == PARTICLE_BOUNCE) {
        for (uint32_t i = 0; i < n; i++) {
            for (int k = 0; k < 2; k++) {
                if (p[i].position[k] < boxMin[k]) {
                    p[i].position[k] = boxMin[k];
                    p[i].velocity[k] = -(bounce * p[i].velocity[k]);
                }
                if (p[i].position[k] > boxMax[k]) {
                    p[i].position[k] = boxMax[k];
                    p[i].velocity[k] = -(bounce * p[i].velocity[k]);
                }
            }
        }
    } else if (boundMode == PARTICLE_CULL) {
        for (uint32_t i = 0; i < n; i++) {
            p[i].alive = !(p[i].position[0] < boxMin[0] || p[i].position[0] > boxMax[0] ||
                           p[i].position[1] < boxMin[1] || p[i].position[1] > boxMax[1]);
        }
    }
}
