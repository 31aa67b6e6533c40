// The two meshes of the textured 3DS scene, both tubes swept around a closed
// curve:
//   ".\meshes\torus3.3ds": a torus, ring radius 80 and tube radius 34, its
//     axis along y so that the scene's quarter turn about x shows it face on;
//   ".\meshes\faces2.3ds": a trefoil knot of beads, a tube whose radius
//     swells and narrows nine times along the knot, lying in the x-z plane
//     for the same reason. The scene scales it by 108, so it is small here.
// Faces wind counter-clockwise seen from outside, so their normals point out.
#include <cmath>
#include <vector>

#include "formats/mesh3ds_writer.h"
#include "tools/gen/gen.h"

namespace {

struct genVec_T {
    double x, y, z;
};

genVec_T operator+(genVec_T a, genVec_T b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
genVec_T operator-(genVec_T a, genVec_T b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
genVec_T operator*(genVec_T a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double dot(genVec_T a, genVec_T b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
genVec_T cross(genVec_T a, genVec_T b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
genVec_T unit(genVec_T a) { return a * (1.0 / std::sqrt(dot(a, a))); }

const double PI = 3.14159265358979323846;

// A curve point and the tube radius at parameter t in [0, 1).
struct genTube_T {
    genVec_T (*centre)(double t);
    double (*radius)(double t);
};

struct genMesh_T {
    std::vector<float> xyz;
    std::vector<uint16_t> abc;
};

// Rings of `around` vertices at `along` stations, each ring in the plane
// across the curve (Frenet frame), joined by two triangles per quad.
genMesh_T sweep(const genTube_T& tube, int along, int around)
{
    genMesh_T mesh;
    const double h = 1e-4;
    for (int i = 0; i < along; i++) {
        const double t = (double)i / along;
        const genVec_T c = tube.centre(t);
        const genVec_T d1 = tube.centre(t + h) - tube.centre(t - h);
        const genVec_T d2 = tube.centre(t + h) - c * 2.0 + tube.centre(t - h);
        const genVec_T tangent = unit(d1);
        const genVec_T binormal = unit(cross(d1, d2));
        const genVec_T normal = cross(binormal, tangent);
        const double r = tube.radius(t);
        for (int j = 0; j < around; j++) {
            const double a = 2.0 * PI * j / around;
            const genVec_T p = c + (normal * std::cos(a) + binormal * std::sin(a)) * r;
            mesh.xyz.insert(mesh.xyz.end(), {(float)p.x, (float)p.y, (float)p.z});
        }
    }
    // The ring direction (normal to binormal) turns counter-clockwise about
    // the tangent, so (i, j), (i, j + 1), (i + 1, j) faces outward.
    for (int i = 0; i < along; i++)
        for (int j = 0; j < around; j++) {
            const int i1 = (i + 1) % along, j1 = (j + 1) % around;
            const uint16_t a = (uint16_t)(i * around + j), b = (uint16_t)(i * around + j1);
            const uint16_t c = (uint16_t)(i1 * around + j), d = (uint16_t)(i1 * around + j1);
            mesh.abc.insert(mesh.abc.end(), {a, b, c, b, d, c});
        }
    return mesh;
}

genVec_T torusCentre(double t)
{
    const double a = 2.0 * PI * t;
    return {80.0 * std::cos(a), 0.0, -80.0 * std::sin(a)};
}

double torusRadius(double) { return 34.0; }

// Trefoil knot, about 6.5 across, in the x-z plane.
genVec_T knotCentre(double t)
{
    const double a = 2.0 * PI * t;
    return {std::sin(a) + 2.0 * std::sin(2.0 * a), -0.8 * std::sin(3.0 * a), std::cos(a) - 2.0 * std::cos(2.0 * a)};
}

double knotRadius(double t)
{
    return 0.55 + 0.16 * std::cos(2.0 * PI * 9.0 * t);
}

int writeMesh(const std::string& dataDir, const char* file, const char* name, const genMesh_T& mesh)
{
    const std::vector<uint8_t> bytes = mesh3ds_encode(
        name, reinterpret_cast<const float(*)[3]>(mesh.xyz.data()), (int)(mesh.xyz.size() / 3),
        reinterpret_cast<const uint16_t(*)[3]>(mesh.abc.data()), (int)(mesh.abc.size() / 3));
    return gen_writeFile(dataDir, file, bytes.data(), bytes.size());
}

int gen_torus(const std::string& dataDir)
{
    return writeMesh(dataDir, ".\\meshes\\torus3.3ds", "Torus", sweep({torusCentre, torusRadius}, 48, 24));
}

int gen_knot(const std::string& dataDir)
{
    return writeMesh(dataDir, ".\\meshes\\faces2.3ds", "Trefoil", sweep({knotCentre, knotRadius}, 216, 12));
}

}

GEN_REGISTER("meshes\\torus3.3ds", gen_torus);
GEN_REGISTER("meshes\\faces2.3ds", gen_knot);
