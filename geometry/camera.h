#pragma once
// The fly-through camera: an eye point and three unit axes derived from a
// point to look at. CamZ is the viewing direction, CamX and CamY the screen's
// right and down. The renderer writes the view matrix and the culling planes
// every frame.
#include "geometry/mat4.h"
#include "geometry/vec4.h"

class PVCamera {
public:
    vec4_T position;
    // The axes stored by component, each row ending in 1:
    //   row 0 = (CamX.z, CamY.z, CamZ.z), row 1 = (CamX.y, CamY.y, CamZ.y),
    //   row 2 = (CamX.x, CamY.x, CamZ.x).
    vec4_T axisRows[3];
    mat4_T view;
    float planes[6][4];

    PVCamera();
    void setPosition(float x, float y, float z);   // w unchanged
    void setPosition(const vec4_T& v);
    // World z is up: CamX is CamZ x (0, 0, -1), so a view straight up or
    // down leaves the axes undefined.
    void lookAt(vec4_T target);

    // The axes read back from axisRows, w = 1.
    vec4_T camX() const;
    vec4_T camY() const;
    vec4_T camZ() const;
};
