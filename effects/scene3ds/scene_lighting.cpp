// Texture coordinates and lighting tables of the 3DS scene. Lighting is all
// precomputed: a texel's colour index and a light level read from a map
// addressed by the vertex normal pick one entry of a table of 256 shades
// per colour.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "effects/scene3ds/scene_tables.h"
#include "formats/mesh3ds.h"
#include "render/pixel_tables.h"

namespace {

const double SCENE_INV_2PI = 0.15915492756897442;        // 1 / (2 pi)
const double SCENE_LIGHT_FACTOR = 0.6366197102758977;    // a hair below 2 / pi: the rim gives 254
const float SCENE_HALF_PI = 1.57079648f;
const int SCENE_SPECULAR_POWER = 150;
constexpr int SCENE_LEVELS = 256;
constexpr int SCENE_TEXELS = 256 * 256;

// One coordinate of the sphere map: the angle between the direction and an
// axis, as texels (k per full turn), wrapped into 16 bits and then 0..255.
float scene_sphereCoord(float cosine, float k)
{
    const double angle = std::acos(std::clamp(cosine, -1.0f, 1.0f));
    const double texels = std::clamp(angle * SCENE_INV_2PI * k, -2147483648.0, 2147483647.0);
    const int16_t wrapped = static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(texels)));
    return static_cast<float>(wrapped % 256);
}

void scene_lightMap(uint8_t* map)
{
    for (int a = 0; a < 256; a++)
        for (int b = 0; b < 256; b++) {
            const double x = (a - 128) / 128.0, y = (b - 128) / 128.0;
            const double q = 1.0 - x * x - y * y;
            const double z = q >= 0.0 ? std::sqrt(q) : 0.0;
            map[256 * a + b] = static_cast<uint8_t>(std::acos(z) * SCENE_LIGHT_FACTOR * 255.0);
        }
}

// Level j of a colour: diffuse cos g plus a white highlight cos^150 g, with g
// going from 0 (facing the light) to nearly 90 degrees.
void scene_shadeTable(uint16_t* table, const std::vector<uint16_t>& palette)
{
    float diffuse[SCENE_LEVELS], specular[SCENE_LEVELS];
    for (int j = 0; j < SCENE_LEVELS; j++) {
        const float g = j * (1.0f / SCENE_LEVELS) * SCENE_HALF_PI;
        diffuse[j] = std::cos(g);
        specular[j] = static_cast<float>(std::pow(diffuse[j], SCENE_SPECULAR_POWER));
    }
    for (size_t c = 0; c < palette.size(); c++) {
        float channel[3];
        unpackColor16(palette[c], &channel[0], &channel[1], &channel[2]);
        for (int j = 0; j < SCENE_LEVELS; j++) {
            float lit[3];
            for (int k = 0; k < 3; k++)
                lit[k] = std::min(1.0f, std::max(0.0f, channel[k] * diffuse[j] + specular[j]));
            table[SCENE_LEVELS * c + j] = packColor16(lit[0], lit[1], lit[2]);
        }
    }
}

}

float* sphereMapUV(const mesh3ds_T* mesh, float k)
{
    const int count = mesh->vertexCount;
    float* uv = static_cast<float*>(std::malloc(sizeof(float) * 2 * (count > 0 ? count : 1)));
    if (!uv)
        return nullptr;
    for (int i = 0; i < count; i++) {
        const vec4_T d = mesh->vertices[i] - mesh->centre;
        const float r = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        // A vertex on the centre has no direction; it takes texel (0, 0).
        uv[2 * i] = r > 0.0f ? scene_sphereCoord(d.y / r, k) : 0.0f;
        uv[2 * i + 1] = r > 0.0f ? scene_sphereCoord(d.z / r, k) : 0.0f;
    }
    return uv;
}

int paletteTexture(uint16_t* texture, uint16_t** shadeTable, uint8_t** lightMap)
{
    *shadeTable = nullptr;
    *lightMap = nullptr;

    // Colour indices in order of first appearance; the texture is only
    // rewritten once it is known to fit.
    std::vector<int16_t> index(65536, -1);
    std::vector<uint16_t> palette;
    for (int i = 0; i < SCENE_TEXELS; i++) {
        if (index[texture[i]] >= 0)
            continue;
        if (static_cast<int>(palette.size()) == SCENE_MAX_COLOURS)
            return -1;
        index[texture[i]] = static_cast<int16_t>(palette.size());
        palette.push_back(texture[i]);
    }

    uint8_t* map = static_cast<uint8_t*>(std::malloc(SCENE_TEXELS));
    uint16_t* shades = static_cast<uint16_t*>(std::malloc(sizeof(uint16_t) * SCENE_LEVELS * palette.size()));
    if (!map || !shades) {
        std::free(map);
        std::free(shades);
        return -1;
    }
    for (int i = 0; i < SCENE_TEXELS; i++)
        texture[i] = static_cast<uint16_t>(index[texture[i]]);
    scene_lightMap(map);
    scene_shadeTable(shades, palette);
    *shadeTable = shades;
    *lightMap = map;
    return static_cast<int>(palette.size());
}
