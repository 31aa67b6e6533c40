#include <gtest/gtest.h>

#include <cmath>

#include "gfx2d/particles.h"
#include "platform/crand.h"

namespace {

// One particle with no forces and a unit box rule, ready to place.
void single(particleSystem_T& ps, int mode)
{
    ps.init(1);
    ps.boundMode = mode;
    ps.boxMin[0] = ps.boxMin[1] = 10;
    ps.boxMax[0] = ps.boxMax[1] = 100;
    ps.gravity[0] = ps.gravity[1] = 0;
    ps.bounce = 0.9f;
    ps.damping = 1.0f;
}

}  // namespace

TEST(Particles, InitDefaults)
{
    particleSystem_T ps;
    ps.init(3);
    ASSERT_EQ(ps.count, 3u);
    EXPECT_EQ(ps.boundMode, PARTICLE_CULL);
    EXPECT_FLOAT_EQ(ps.boxMax[0], 319);
    EXPECT_FLOAT_EQ(ps.boxMax[1], 199);
    EXPECT_FLOAT_EQ(ps.bounce, 1.0f);
    EXPECT_FLOAT_EQ(ps.damping, 1.0f);
    for (uint32_t i = 0; i < 3; i++) {
        EXPECT_EQ(ps.particles[i].alive, 1);
        EXPECT_EQ(ps.particles[i].position[0], 0.0f);
        EXPECT_EQ(ps.particles[i].velocity[1], 0.0f);
    }
    ps.release();
    ps.release();
    EXPECT_EQ(ps.particles, nullptr);
}

TEST(Particles, BounceOffTheLowerWall)
{
    particleSystem_T ps;
    single(ps, PARTICLE_BOUNCE);
    ps.particles[0].position[0] = 9;
    ps.particles[0].position[1] = 50;
    ps.particles[0].velocity[0] = -2;
    ps.step();
    EXPECT_FLOAT_EQ(ps.particles[0].position[0], 10.0f);
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[0], 1.8f);
    EXPECT_FLOAT_EQ(ps.particles[0].position[1], 50.0f);
    EXPECT_EQ(ps.particles[0].alive, 1);
}

TEST(Particles, BounceOffTheUpperWall)
{
    particleSystem_T ps;
    single(ps, PARTICLE_BOUNCE);
    ps.particles[0].position[0] = 50;
    ps.particles[0].position[1] = 99;
    ps.particles[0].velocity[1] = 3;
    ps.step();
    EXPECT_FLOAT_EQ(ps.particles[0].position[1], 100.0f);
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[1], -2.7f);
}

TEST(Particles, CullAndRevive)
{
    particleSystem_T ps;
    single(ps, PARTICLE_CULL);
    ps.boxMin[0] = ps.boxMin[1] = 0;
    ps.particles[0].position[0] = -1;
    ps.particles[0].position[1] = 50;
    ps.step();
    EXPECT_EQ(ps.particles[0].alive, 0);
    EXPECT_FLOAT_EQ(ps.particles[0].position[0], -1.0f);   // culling does not move it
    ps.particles[0].position[0] = 5;
    ps.step();
    EXPECT_EQ(ps.particles[0].alive, 1);
    ps.particles[0].position[0] = 100;                      // on the edge is inside
    ps.step();
    EXPECT_EQ(ps.particles[0].alive, 1);
    ps.particles[0].position[1] = 100.5f;
    ps.step();
    EXPECT_EQ(ps.particles[0].alive, 0);
}

TEST(Particles, GravityAddsPerStepAndDampingScales)
{
    particleSystem_T ps;
    single(ps, PARTICLE_CULL);
    ps.gravity[0] = -0.1f;
    ps.particles[0].position[0] = 50;
    ps.particles[0].position[1] = 50;
    ps.step();
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[0], 0.1f);
    EXPECT_FLOAT_EQ(ps.particles[0].position[0], 50.0f);   // moved before gravity applied
    ps.step();
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[0], 0.2f);
    EXPECT_FLOAT_EQ(ps.particles[0].position[0], 50.1f);
    ps.gravity[0] = 0;
    ps.damping = 0.5f;
    ps.step();
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[0], 0.1f);
}

TEST(Particles, AttractIsInverseDistance)
{
    particleSystem_T ps;
    ps.init(2);
    ps.particles[0].position[0] = 20;
    ps.particles[0].position[1] = 34;    // 4 pixels right of the point
    ps.particles[1].position[0] = 23;
    ps.particles[1].position[1] = 34;    // 3 down, 4 right: distance 5
    const float point[2] = {20, 30};
    ps.attract(-8.0f, point);
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[1], -2.0f);
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[0], 0.0f);
    EXPECT_FLOAT_EQ(ps.particles[1].velocity[0], -8.0f / 25 * 3);
    EXPECT_FLOAT_EQ(ps.particles[1].velocity[1], -8.0f / 25 * 4);
    ps.attract(16.0f, point);            // positive pushes away
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[1], 2.0f);
}

TEST(Particles, NoForceOnTheAttractionPoint)
{
    particleSystem_T ps;
    ps.init(1);
    ps.particles[0].position[0] = 7;
    ps.particles[0].position[1] = 9;
    ps.particles[0].velocity[0] = 0.5f;
    const float point[2] = {7, 9};
    ps.attract(-8.0f, point);
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[0], 0.5f);
    EXPECT_FLOAT_EQ(ps.particles[0].velocity[1], 0.0f);
}

TEST(Particles, RandomSetUpDrawsInOrder)
{
    particleSystem_T ps;
    ps.init(2);
    crt_srand(99);
    ps.randomPositions(240, 320);
    ps.randomVelocities(50);
    // The same draws, by hand: row then column per particle; then per
    // particle and component a sign draw and a magnitude draw.
    crt_srand(99);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(ps.particles[i].position[0], (float)(crt_rand() / (32767 / 240)));
        EXPECT_EQ(ps.particles[i].position[1], (float)(crt_rand() / (32767 / 320)));
    }
    for (int i = 0; i < 2; i++) {
        for (int k = 0; k < 2; k++) {
            float sign = crt_rand() < 16383 ? -1.0f : 1.0f;
            float magnitude = (float)(crt_rand() / (32767 / 50));
            EXPECT_EQ(ps.particles[i].velocity[k], magnitude * sign * 0.01f);
        }
    }
}

TEST(Particles, RandomVelocitiesStayWithinBound)
{
    particleSystem_T ps;
    ps.init(2000);
    crt_srand(7);
    ps.randomVelocities(50);
    float largest = 0;
    for (uint32_t i = 0; i < ps.count; i++)
        for (int k = 0; k < 2; k++)
            largest = std::fmax(largest, std::fabs(ps.particles[i].velocity[k]));
    EXPECT_LE(largest, 0.5f + 1e-6f);
    EXPECT_GE(largest, 0.45f);
}

TEST(Particles, DegenerateRangesKeepTheSequence)
{
    particleSystem_T ps;
    ps.init(1);
    crt_srand(5);
    ps.randomPositions(0, 40000);
    EXPECT_EQ(ps.particles[0].position[0], 0.0f);
    EXPECT_EQ(ps.particles[0].position[1], 0.0f);
    int next = crt_rand();
    crt_srand(5);
    crt_rand();
    crt_rand();
    EXPECT_EQ(crt_rand(), next);
}
