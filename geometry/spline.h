#pragma once
// The camera path: a natural cubic spline through control points, each
// segment's parameter running 0..1, reached through a chord-length
// parameter s whose fractional part alone counts (the path repeats with
// period 1).
#include <cstdint>

#include "geometry/vec4.h"

// One coordinate of one segment: ((d u + c) u + b) u + a.
struct splineCubic_T {
    float a, b, c, d;
};

struct splineSegment_T {
    splineCubic_T axis[3];   // x, y, z
};

class spline_T {
public:
    int32_t count;              // control points
    splineSegment_T* segments;  // count entries, 0 .. count - 2 used
    float* knots;               // normalised cumulative chord length, 0 .. 1

    // n >= 2 points; only their x, y, z are used. Fewer make an empty path
    // that stays at the origin.
    spline_T(int n, const vec4_T* points);
    ~spline_T();
    spline_T(const spline_T&) = delete;
    spline_T& operator=(const spline_T&) = delete;

    vec4_T position(float s) const;   // w = 1
    // Derivative with respect to the segment's own parameter, not normalised.
    vec4_T tangent(float s) const;

private:
    vec4_T evaluate(float s, int derivative) const;
};
