#include "effects/raytracer/ray_trace.h"

#include <cmath>

int raySphereHit(const sphere_T& s, const vec4_T& a, const vec4_T& b, double* nearRoot, double* farRoot) {
    rayCount++;
    const double dx = (double)b.x - a.x, dy = (double)b.y - a.y, dz = (double)b.z - a.z;
    const double ox = (double)a.x - s.center.x, oy = (double)a.y - s.center.y, oz = (double)a.z - s.center.z;
    const double qa = dx * dx + dy * dy + dz * dz;
    const double qb = 2.0 * (dx * ox + dy * oy + dz * oz);
    const double qc = ox * ox + oy * oy + oz * oz - s.radius * s.radius;
    const double disc = qb * qb - 4.0 * qa * qc;
    if (disc < 0.0)
        return 0;
    const double root = std::sqrt(disc);
    if (root == 0.0) {
        *nearRoot = -qb / (2.0 * qa);
        return 1;
    }
    const double t1 = (-qb - root) / (2.0 * qa);
    const double t2 = (-qb + root) / (2.0 * qa);
    *nearRoot = t1 < t2 ? t1 : t2;
    *farRoot = t1 < t2 ? t2 : t1;
    return 2;
}

static int pointInRect(const rayRect_T& r, int32_t x, int32_t y) {
    return r.x0 <= x && x <= r.x1 && r.y0 <= y && y <= r.y1;
}

static int cornerInside(const rayRect_T& r, const rayRect_T& c) {
    return pointInRect(r, c.x0, c.y0) || pointInRect(r, c.x1, c.y0) ||
           pointInRect(r, c.x0, c.y1) || pointInRect(r, c.x1, c.y1);
}

int rectsOverlap(const rayRect_T& a, const rayRect_T& b) {
    return cornerInside(a, b) || cornerInside(b, a) ? 1 : 0;
}

rayRect_T ray_projectSquare(const sphere_T& s) {
    // The eye sits one unit behind the image plane, which spans 160 pixels
    // per unit; 2/3 puts the horizon above the middle of the image.
    const float cx = s.center.x, cy = s.center.y, cz = s.center.z;
    const int32_t sx = (int32_t)((cx / cz + 0.5) * 160.0);
    const int32_t sy = (int32_t)((cy / cz + 0.6666666666666666) * 120.0);
    const int32_t sr = (int32_t)(s.radius / cz * 200.0);
    return rayRect_T{sx - sr, sy - sr, sx + sr, sy + sr};
}

int ray_lightIndex(float d) {
    if (!(d >= 0.0f))   // facing away (or no direction at all)
        return 0;
    float v = d * d * d * 255.0f;
    if (v > 255.0f)
        v = 255.0f;
    return (int)v;
}

uint32_t ray_reflectBlend(uint32_t p, int other) {
    return ray_fadePixel(p) + ((sphereRamps[other][63] >> 2) & 0x3F3F3Fu);
}

// Largest distance along a ray, as the single-precision constant it starts from.
static const double RAY_FAR = 1e11f;

// The pair of roots is shared by every test of one cell: a tangent hit (one
// root) leaves the far root of an earlier test in place.
struct rayRoots_T {
    double nearRoot, farRoot;
};

static void tracePixel(int32_t x, int32_t y, const int32_t active[RAY_SPHERES], rayRoots_T& r) {
    const vec4_T eye(0.0f, 0.0f, -1.0f, 1.0f);
    const vec4_T onPlane((float)(x * 0.00625 - 0.5), (float)(y * 0.00625 - 0.5), 0.0f, 1.0f);

    double nearest = RAY_FAR;
    int hit = -1;
    for (int i = 0; i < RAY_SPHERES; i++) {
        // No test that the root lies in front of the eye.
        if (active[i] && raySphereHit(raySpheres[i], eye, onPlane, &r.nearRoot, &r.farRoot) != 0 &&
            r.nearRoot < nearest) {
            nearest = r.nearRoot;
            hit = i;
        }
    }
    if (hit < 0)
        return;

    const sphere_T& s = raySpheres[hit];
    const uint32_t* ramp = sphereRamps[hit];
    const vec4_T point = eye + (onPlane - eye) * (float)nearest;
    uint32_t& pixel = rayImage[y * RAY_W + x];

    // Any sphere crossed by the line towards the light, on either side of it,
    // casts a shadow, even one beyond the light.
    int shadowed = 0;
    for (int j = 0; j < RAY_SPHERES && !shadowed; j++)
        shadowed = raySphereHit(raySpheres[j], point, rayLight, &r.nearRoot, &r.farRoot) == 2 &&
                   r.nearRoot >= 0.0 && r.farRoot >= 0.0;
    if (shadowed) {
        pixel = ramp[0];
    } else {
        const vec4_T normal = (point - s.center) / (float)s.radius;
        vec4_T toLight = rayLight - point;
        toLight.normalize();
        pixel = ramp[ray_lightIndex(normal.dot(toLight))];
    }

    if (!s.reflective)
        return;
    // The mirror ray runs from the centre out through the hit point, along
    // the normal. The far root picks the candidate, the near root is kept.
    double best = RAY_FAR;
    int other = -1;
    for (int j = 0; j < RAY_SPHERES; j++) {
        if (j != hit && raySphereHit(raySpheres[j], s.center, point, &r.nearRoot, &r.farRoot) != 0 &&
            r.farRoot < best && r.farRoot > 0.0) {
            best = r.nearRoot;
            other = j;
        }
    }
    if (other >= 0)
        pixel = ray_reflectBlend(pixel, other);
}

void traceCell(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int level, const int32_t active[RAY_SPHERES]) {
    if (level < RAY_LEVELS) {
        const rayRect_T cell{x0, y0, x1, y1};
        int32_t child[RAY_SPHERES];
        int32_t any = 0;
        for (int i = 0; i < RAY_SPHERES; i++) {
            child[i] = active[i] ? rectsOverlap(cell, ray_projectSquare(raySpheres[i])) : 0;
            any |= child[i];
        }
        if (!any)
            return;
        const int32_t xm = (x0 + x1) / 2, ym = (y0 + y1) / 2;
        traceCell(x0, y0, xm, ym, level + 1, child);
        traceCell(xm, y0, x1, ym, level + 1, child);
        traceCell(x0, ym, xm, y1, level + 1, child);
        traceCell(xm, ym, x1, y1, level + 1, child);
        return;
    }
    rayRoots_T roots{0.0, 0.0};
    for (int32_t y = y0; y < y1; y++)
        for (int32_t x = x0; x < x1; x++)
            tracePixel(x, y, active, roots);
}
