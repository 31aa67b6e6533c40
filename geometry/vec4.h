#pragma once
// Points and directions of every 3D part: four 32-bit floats, points with
// w = 1. Almost every operation that makes a new vector sets w to 1 whatever
// its inputs were; normalize() and += keep w. A default-constructed vector is
// left uninitialised (it lives inside raw file records); set it before use.
#include <cstdint>

struct vec4_T {
    float x, y, z, w;

    vec4_T() = default;
    vec4_T(float vx, float vy, float vz, float vw) : x(vx), y(vy), z(vz), w(vw) {}

    vec4_T& set(float vx, float vy, float vz, float vw);
    // x, y, z for 0, 1, 2; 0.0 for any other index, 3 included.
    float get(int i) const;

    vec4_T operator+(const vec4_T& o) const;
    vec4_T operator-(const vec4_T& o) const;
    vec4_T operator-() const;
    vec4_T operator+=(const vec4_T& o);   // w of this unchanged; returns a copy
    vec4_T operator*(float s) const;
    vec4_T operator/(float s) const;

    float dot(const vec4_T& o) const;     // w plays no part
    vec4_T cross(const vec4_T& o) const;  // this x o, w = 1
    vec4_T normalize();                   // in place, w unchanged; returns a copy
    float distance(const vec4_T& o) const;
    // Turns this about Z through mat_current, which it overwrites.
    void rotateZ(float degrees);
};

static_assert(sizeof(vec4_T) == 16, "vec4_T is stored raw in mesh files");
