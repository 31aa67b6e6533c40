#pragma once
// The fly-through's camera path: the control points of its spline, in order.
// z is the height. The terrain generator shapes the ground under them.
#include "geometry/vec4.h"

constexpr int FLY_PATH_POINTS = 15;
extern const vec4_T flyPath[FLY_PATH_POINTS];
