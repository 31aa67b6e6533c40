#pragma once
// 4 x 4 transforms for row vectors: a point p becomes p x M, so the
// translation sits in row 3 (elements 12, 13, 14). Element (r, c) is m[4r + c].
// One process-wide current matrix, composed into and applied from, like a
// fixed-function pipeline without a stack. Engine thread only.
#include "geometry/vec4.h"

struct mat4_T {
    float m[16];
};

// The current matrix: all zero at start; every user loads it first.
extern mat4_T mat_current;

// Angles are in degrees, turned into radians with this factor (a little less
// than pi / 180; the demo's camera and light turns were tuned with it).
constexpr float MAT_DEG_TO_RAD = 0.01745328f;

// The builders each rewrite one static matrix of their own and return it: a
// result stays valid until the same builder runs again.
const mat4_T* mat_identity();
// Rows (c, s, 0, 0), (-s, c, 0, 0), (0, 0, 1, 0), (0, 0, 0, 1): counter-clockwise
// seen from +Z for positive angles.
const mat4_T* mat_rotateZ(float degrees);
const mat4_T* mat_translate(float x, float y, float z);

void mat_load(const mat4_T* m);
// mat_current = mat_current x m: m acts after what is already there.
void mat_mult(const mat4_T* m);
// out[i] = in[i] x mat_current, all four components; out may equal in.
void mat_transform(vec4_T* out, const vec4_T* in, int n);
