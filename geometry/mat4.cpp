#include "geometry/mat4.h"

#include <cmath>

mat4_T mat_current;

static mat4_T identityResult;
static mat4_T rotateZResult;
static mat4_T translateResult;

static void setIdentity(mat4_T* m)
{
    for (int i = 0; i < 16; i++)
        m->m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

const mat4_T* mat_identity()
{
    setIdentity(&identityResult);
    return &identityResult;
}

const mat4_T* mat_rotateZ(float degrees)
{
    float radians = degrees * MAT_DEG_TO_RAD;
    float c = std::cos(radians), s = std::sin(radians);
    setIdentity(&rotateZResult);
    rotateZResult.m[0] = c;
    rotateZResult.m[1] = s;
    rotateZResult.m[4] = -s;
    rotateZResult.m[5] = c;
    return &rotateZResult;
}

const mat4_T* mat_translate(float x, float y, float z)
{
    setIdentity(&translateResult);
    translateResult.m[12] = x;
    translateResult.m[13] = y;
    translateResult.m[14] = z;
    return &translateResult;
}

void mat_load(const mat4_T* m)
{
    mat_current = *m;
}

void mat_mult(const mat4_T* m)
{
    mat4_T product;
    for (int r = 0; r < 4; r++) {
        for (int c = 0; c < 4; c++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++)
                sum += mat_current.m[4 * r + k] * m->m[4 * k + c];
            product.m[4 * r + c] = sum;
        }
    }
    mat_current = product;
}

void mat_transform(vec4_T* out, const vec4_T* in, int n)
{
    const float* m = mat_current.m;
    for (int i = 0; i < n; i++) {
        vec4_T v = in[i];
        out[i].x = v.x * m[0] + v.y * m[4] + v.z * m[8] + v.w * m[12];
        out[i].y = v.x * m[1] + v.y * m[5] + v.z * m[9] + v.w * m[13];
        out[i].z = v.x * m[2] + v.y * m[6] + v.z * m[10] + v.w * m[14];
        out[i].w = v.x * m[3] + v.y * m[7] + v.z * m[11] + v.w * m[15];
    }
}
