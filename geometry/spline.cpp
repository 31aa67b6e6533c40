#include "geometry/spline.h"

#include <cmath>
#include <vector>

// The derivatives D of one coordinate at every control point, solving
//   2 D[0] + D[1] = r[0]
//   D[i - 1] + 4 D[i] + D[i + 1] = r[i]
//   D[n - 2] + 2 D[n - 1] = r[n - 1]
// the way the demo always did: a forward sweep in extended precision that
// keeps nothing per row and yields only the last derivative, then a walk
// back through the equations themselves. That walk multiplies rounding errors
// by about 3.7 per step, so the first derivatives of a long path are visibly
// off the exact solution; the camera path was made with these, and keeps them.
static void solveDerivatives(const float* p, int n, float* D)
{
    std::vector<float> r(n);
    r[0] = (float)(3.0L * ((long double)p[1] - p[0]));
    for (int i = 1; i <= n - 2; i++)
        r[i] = (float)(3.0L * ((long double)p[i + 1] - p[i - 1]));
    r[n - 1] = (float)(3.0L * ((long double)p[n - 1] - p[n - 2]));

    long double g = 2.0L, q = r[0], f;
    for (int i = 1; i <= n - 2; i++) {
        f = 1.0L / g;
        q = r[i] - q * f;
        g = 4.0L - f;
    }
    f = 1.0L / g;
    D[n - 1] = (float)((r[n - 1] - q * f) / (2.0L - f));

    D[n - 2] = (float)((long double)r[n - 1] - 2.0L * D[n - 1]);
    for (int k = n - 3; k >= 1; k--)
        D[k] = (float)((long double)r[k + 1] - D[k + 2] - 4.0L * D[k + 1]);
    D[0] = (float)(((long double)r[0] - D[1]) * 0.5L);
}

spline_T::spline_T(int n, const vec4_T* points) : count(n < 2 ? 0 : n), segments(nullptr), knots(nullptr)
{
    if (count == 0)
        return;
    segments = new splineSegment_T[n];
    knots = new float[n];
    std::vector<float> p(n), D(n);
    for (int axis = 0; axis < 3; axis++) {
        for (int i = 0; i < n; i++)
            p[i] = points[i].get(axis);
        solveDerivatives(p.data(), n, D.data());
        for (int i = 0; i < n - 1; i++) {
            splineCubic_T& s = segments[i].axis[axis];
            s.a = p[i];
            s.b = D[i];
            s.c = (float)(3.0L * ((long double)p[i + 1] - p[i]) - 2.0L * D[i] - D[i + 1]);
            s.d = (float)(2.0L * ((long double)p[i] - p[i + 1]) + D[i] + D[i + 1]);
        }
        segments[n - 1].axis[axis] = splineCubic_T{p[n - 1], 0, 0, 0};
    }
    float total = 0.0f;
    for (int i = 1; i < n; i++)
        total += points[i - 1].distance(points[i]);
    knots[0] = 0.0f;
    for (int i = 1; i < n; i++)
        knots[i] = knots[i - 1] + points[i - 1].distance(points[i]) / total;
}

spline_T::~spline_T()
{
    delete[] segments;
    delete[] knots;
}

// Position (derivative 0) or tangent (1) at s: only the fractional part of s
// counts; the segment is the last one whose knot f has reached.
vec4_T spline_T::evaluate(float s, int derivative) const
{
    if (count == 0)
        return vec4_T(0, 0, 0, 1);
    float f = s - std::trunc(s);
    int k = 0;
    while (k < count - 2 && f >= knots[k + 1])
        k++;
    float u = (f - knots[k]) / (knots[k + 1] - knots[k]);
    float out[3];
    for (int axis = 0; axis < 3; axis++) {
        const splineCubic_T& c = segments[k].axis[axis];
        out[axis] = derivative ? c.b + 2.0f * c.c * u + 3.0f * c.d * u * u : ((c.d * u + c.c) * u + c.b) * u + c.a;
    }
    return vec4_T(out[0], out[1], out[2], 1);
}

vec4_T spline_T::position(float s) const { return evaluate(s, 0); }
vec4_T spline_T::tangent(float s) const { return evaluate(s, 1); }
