// The sand effect's script and palette, and the registration of its files.
//
// The script, about 39 s at 60 frames a second:
//   1. dunes at sunset: the field starts fully covered; as the height
//      threshold sinks, the crests shed their sand first and the sky shows
//      through, while a light wind drifts the sand along;
//   2. the group's name rises out of the dunes and the sand pours off the
//      letters, which light up with the sunset; the wind turns and freshens
//      and the sand starts to stream;
//   3. a sand storm (fill mode) buries everything, and under the cover the
//      ground becomes a mound over a carved relief;
//   4. the carved sun comes out of the sand in widening rings, then the
//      bands of signs; the ground sinks flat and a strong wind sweeps the
//      field clean, uncovering the whole relief.
#include <cmath>

#include "formats/pcx_writer.h"
#include "tools/gen/gen.h"
#include "tools/gen/gen_sand.h"

float gs_dither(int x, int y)
{
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (bayer[y & 3][x & 3] + 0.5f) / 16.0f - 0.5f;
}

float gs_clamp01(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

float gs_smoothstep(float e0, float e1, float v)
{
    float t = gs_clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

int gs_writePcx8(const std::string& dataDir, const char* name, const std::vector<uint8_t>& indices,
                 const uint8_t* palette)
{
    std::vector<uint8_t> file = pcx_encode8(indices.data(), GS_W, GS_H, palette);
    return gen_writeFile(dataDir, name, file.data(), file.size());
}

namespace {
const char sandScript[] =
    "arena.scr: the sand effect's script.\r\n"
    "Any word holding the marker starts a command: the next word names it and the\r\n"
    "words after it are its arguments. Words between commands are comment.\r\n"
    "\r\n"
    "Dunes at sunset. All covered at first; the threshold sinks and the crests go first.\r\n"
    "# STARTUP arenadat\\dunas.pcx arenadat\\ocaso.pcx\r\n"
    "# SETWIND 10 0.4   # MODORELLENADO 0   # SETALTURA 110\r\n"
    "# ESPERA 240\r\n"
    "# SETWIND 20 0.8   # SETALTURA 70\r\n"
    "# ESPERA 240\r\n"
    "\r\n"
    "The name rises out of the dunes and sheds its sand, then the sand streams.\r\n"
    "# SETWIND 350 0.7\r\n"
    "# FADEIN arenadat\\logo.pcx - 240\r\n"
    "# ESPERA 360\r\n"
    "# SETWIND 170 1.2   # SETALTURA 20\r\n"
    "# ESPERA 240\r\n"
    "\r\n"
    "Sand storm: every hole fills in. Under the cover the ground and the picture\r\n"
    "change: a mound over the carved relief.\r\n"
    "# SETWIND 120 1.6   # MODORELLENADO 1\r\n"
    "# ESPERA 240\r\n"
    "# LOAD arenadat\\sol.pcx arenadat\\relieve.pcx\r\n"
    "# CALCARENA\r\n"
    "\r\n"
    "The carved sun comes out in widening rings, then the bands of signs.\r\n"
    "# MODORELLENADO 0   # SETALTURA 130   # SETWIND 80 0.5\r\n"
    "# ESPERA 120\r\n"
    "# SETALTURA 95   # ESPERA 120\r\n"
    "# SETALTURA 60   # SETWIND 60 0.9   # ESPERA 180\r\n"
    "\r\n"
    "The ground sinks flat and a strong wind sweeps the field clean.\r\n"
    "# FADEOUT 100\r\n"
    "# SETALTURA -100   # SETWIND 0 4\r\n"
    "# ESPERA 420\r\n"
    "# END\r\n";

int gs_writeScript(const std::string& dataDir)
{
    return gen_writeFile(dataDir, "arenadat\\arena.scr", sandScript, sizeof sandScript - 1);
}

// Warm sand: golden grains with a few pale and a few amber ones. The effect
// shows a lone grain at half brightness and only deep heaps at full, so the
// colours sit near the top of the range.
void gs_sandPalette(uint8_t* palette)
{
    for (int i = 0; i < 256; i++) {
        // A fixed scramble of i gives each colour its own small variation.
        uint32_t h = (uint32_t)i * 2654435761u;
        h ^= h >> 13;
        float v = (float)((h >> 8) & 0xFF) / 255.0f;
        float r = 255, g, b;
        if (i < 176) {          // golden
            g = 178 + 24 * v;
            b = 98 + 32 * v;
        } else if (i < 224) {   // pale
            g = 208 + 20 * v;
            b = 150 + 34 * v;
        } else {                // amber
            g = 140 + 22 * v;
            b = 70 + 24 * v;
        }
        palette[i * 3] = (uint8_t)r;
        palette[i * 3 + 1] = (uint8_t)g;
        palette[i * 3 + 2] = (uint8_t)b;
    }
}

int gs_writePalette(const std::string& dataDir)
{
    uint8_t palette[768];
    gs_sandPalette(palette);
    // The picture itself is not used: a swatch of the 256 colours.
    std::vector<uint8_t> indices((size_t)GS_W * GS_H);
    for (int y = 0; y < GS_H; y++)
        for (int x = 0; x < GS_W; x++)
            indices[(size_t)y * GS_W + x] = (uint8_t)((y * 16 / GS_H) * 16 + x * 16 / GS_W);
    return gs_writePcx8(dataDir, "arenadat\\paleta.pcx", indices, palette);
}

// Height maps carry a grey ramp so they can be looked at.
int gs_writeGround(const std::string& dataDir, const char* name, const std::vector<uint8_t>& heights)
{
    uint8_t grey[768];
    for (int i = 0; i < 256; i++)
        grey[i * 3] = grey[i * 3 + 1] = grey[i * 3 + 2] = (uint8_t)i;
    return gs_writePcx8(dataDir, name, heights, grey);
}

int gs_writeAll(const std::string& dataDir)
{
    int failed = gs_writeScript(dataDir) | gs_writePalette(dataDir);
    failed |= gs_writeGround(dataDir, "arenadat\\dunas.pcx", gs_dunes());
    failed |= gs_writeGround(dataDir, "arenadat\\logo.pcx", gs_logoGround());
    failed |= gs_writeGround(dataDir, "arenadat\\sol.pcx", gs_sunMound());
    std::vector<uint8_t> indices;
    uint8_t palette[768];
    gs_sunset(&indices, palette);
    failed |= gs_writePcx8(dataDir, "arenadat\\ocaso.pcx", indices, palette);
    gs_relief(&indices, palette);
    failed |= gs_writePcx8(dataDir, "arenadat\\relieve.pcx", indices, palette);
    return failed ? -1 : 0;
}
}

GEN_REGISTER("sand", gs_writeAll);
