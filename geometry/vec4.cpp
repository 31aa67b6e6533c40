#include "geometry/vec4.h"

#include <cmath>

#include "geometry/mat4.h"

vec4_T& vec4_T::set(float vx, float vy, float vz, float vw)
{
    x = vx;
    y = vy;
    z = vz;
    w = vw;
    return *this;
}

float vec4_T::get(int i) const
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return 0.0f;
    }
}

vec4_T vec4_T::operator+(const vec4_T& o) const { return vec4_T(x + o.x, y + o.y, z + o.z, 1.0f); }
vec4_T vec4_T::operator-(const vec4_T& o) const { return vec4_T(x - o.x, y - o.y, z - o.z, 1.0f); }
vec4_T vec4_T::operator-() const { return vec4_T(-x, -y, -z, 1.0f); }

vec4_T vec4_T::operator+=(const vec4_T& o)
{
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
}

vec4_T vec4_T::operator*(float s) const { return vec4_T(x * s, y * s, z * s, 1.0f); }
vec4_T vec4_T::operator/(float s) const { return vec4_T(x / s, y / s, z / s, 1.0f); }

float vec4_T::dot(const vec4_T& o) const { return x * o.x + y * o.y + z * o.z; }

vec4_T vec4_T::cross(const vec4_T& o) const
{
    return vec4_T(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x, 1.0f);
}

vec4_T vec4_T::normalize()
{
    // A zero vector gives non-finite components; no caller passes one.
    float length = std::sqrt(x * x + y * y + z * z);
    x /= length;
    y /= length;
    z /= length;
    return *this;
}

float vec4_T::distance(const vec4_T& o) const
{
    float dx = x - o.x, dy = y - o.y, dz = z - o.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void vec4_T::rotateZ(float degrees)
{
    mat_load(mat_identity());
    mat_mult(mat_rotateZ(degrees));
    mat_transform(this, this, 1);
}
