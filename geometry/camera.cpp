#include "geometry/camera.h"

#include <cstring>

PVCamera::PVCamera()
{
    position.set(0, 0, 0, 1);
    axisRows[0].set(0, 0, 1, 1);
    axisRows[1].set(0, 1, 0, 1);
    axisRows[2].set(1, 0, 0, 1);
    std::memset(&view, 0, sizeof view);
    std::memset(planes, 0, sizeof planes);
}

void PVCamera::setPosition(float x, float y, float z)
{
    position.x = x;
    position.y = y;
    position.z = z;
}

void PVCamera::setPosition(const vec4_T& v)
{
    position = v;
}

void PVCamera::lookAt(vec4_T target)
{
    vec4_T camZ = target - position;
    camZ.normalize();
    vec4_T camX = camZ.cross(vec4_T(0, 0, -1, 1));
    camX.normalize();
    vec4_T camY = camX.cross(camZ);
    axisRows[0].set(camX.z, camY.z, camZ.z, 1);
    axisRows[1].set(camX.y, camY.y, camZ.y, 1);
    axisRows[2].set(camX.x, camY.x, camZ.x, 1);
}

vec4_T PVCamera::camX() const { return vec4_T(axisRows[2].x, axisRows[1].x, axisRows[0].x, 1); }
vec4_T PVCamera::camY() const { return vec4_T(axisRows[2].y, axisRows[1].y, axisRows[0].y, 1); }
vec4_T PVCamera::camZ() const { return vec4_T(axisRows[2].z, axisRows[1].z, axisRows[0].z, 1); }
