#pragma once
// The terrain fly-through (timeline step 6): a title picture, then the
// camera flies a spline path over the terrain mesh, drawn by the software
// renderer with the console (and in accelerator mode the HUD) over it.
#include "geometry/camera.h"

struct scene_T;
class spline_T;

extern PVCamera flyCamera;   // the HUD prints its position and axes
extern scene_T* flyScene;    // built when the effect starts, kept afterwards
extern float flyT;           // path parameter

// Runs the whole effect and returns 0; the argument plays no part.
int flythroughPart(int arg);

// The camera path through the 15 control points (the caller deletes it).
spline_T* fly_makePath();
// Puts flyCamera on the path at t, looking one unit ahead along it.
void fly_aimCamera(const spline_T& path, float t);
