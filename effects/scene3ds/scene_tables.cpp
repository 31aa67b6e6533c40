// Angle tables, the scene's viewport and the matrix builders.
#include "effects/scene3ds/scene_tables.h"

#include <cmath>

#include "platform/display.h"

float sinTable[SCENE_ANGLES];
float cosTable[SCENE_ANGLES];
sceneViewport_T viewport;
vec4_T sceneEye(0.0f, 0.0f, 100.0f, 1.0f);

namespace {

// The world window that the projection maps onto the whole screen.
const float SCENE_WINDOW = 100.0f;
// The value of pi the angle tables were built with.
const float SCENE_PI = 3.14159296f;

mat4_T scene_identity()
{
    mat4_T m = {};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

}

int initSceneTables()
{
    for (int i = 0; i < SCENE_ANGLES; i++) {
        const float radians = static_cast<float>(i) * (1.0f / SCENE_ANGLES) * 360.0f * SCENE_PI * (1.0f / 180.0f);
        sinTable[i] = std::sin(radians);
        cosTable[i] = std::cos(radians);
    }
    viewport.clipXMin = 0;
    viewport.clipXMax = screenWidth - 1;
    viewport.clipYMin = 0;
    viewport.clipYMax = screenHeight - 1;
    viewport.worldXMin = -SCENE_WINDOW;
    viewport.worldXMax = SCENE_WINDOW;
    viewport.worldYMin = -SCENE_WINDOW;
    viewport.worldYMax = SCENE_WINDOW;
    viewport.scaleX = 1.0f / (2.0f * SCENE_WINDOW);
    viewport.scaleY = 1.0f / (2.0f * SCENE_WINDOW);
    viewport.offsetX = 0.0f;
    viewport.offsetY = 0.0f;
    sceneEye = vec4_T(0.0f, 0.0f, 100.0f, 1.0f);
    return 1;
}

mat4_T matTranslate(float x, float y, float z)
{
    mat4_T m = scene_identity();
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

mat4_T matRotX(int a)
{
    const float c = cosTable[scene_angle(a)], s = sinTable[scene_angle(a)];
    mat4_T m = scene_identity();
    m.m[5] = c;
    m.m[6] = s;
    m.m[9] = -s;
    m.m[10] = c;
    return m;
}

mat4_T matRotY(int a)
{
    const float c = cosTable[scene_angle(a)], s = sinTable[scene_angle(a)];
    mat4_T m = scene_identity();
    m.m[0] = c;
    m.m[2] = -s;
    m.m[8] = s;
    m.m[10] = c;
    return m;
}

mat4_T matRotZ(int a)
{
    const float c = cosTable[scene_angle(a)], s = sinTable[scene_angle(a)];
    mat4_T m = scene_identity();
    m.m[0] = c;
    m.m[1] = s;
    m.m[4] = -s;
    m.m[5] = c;
    return m;
}

mat4_T matScale(float k)
{
    mat4_T m = scene_identity();
    m.m[0] = m.m[5] = m.m[10] = k;
    return m;
}

mat4_T matPerspective(const vec4_T& eye)
{
    mat4_T m = {};
    m.m[0] = m.m[5] = m.m[15] = -eye.z;
    m.m[10] = -eye.w;
    m.m[8] = eye.x;
    m.m[9] = eye.y;
    m.m[11] = eye.w;
    return m;
}

mat4_T matMul(const mat4_T& a, const mat4_T& b)
{
    mat4_T r;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++)
                sum += a.m[4 * i + k] * b.m[4 * k + j];
            r.m[4 * i + j] = sum;
        }
    return r;
}
