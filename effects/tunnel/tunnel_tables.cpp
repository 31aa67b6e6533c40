#include "effects/tunnel/tunnel_tables.h"

#include <cmath>

uint8_t distTable[TUNNEL_W * TUNNEL_H];
uint8_t angleTable[TUNNEL_W * TUNNEL_H];

// Distances are scaled so that sqrt(35600) (about the distance from the
// centre to the top corners) maps to 255; the bottom corners lie further
// away and wrap round to small values, which the picture keeps.
static const double TUNNEL_DIST_RANGE = std::sqrt(35600.0);

// 2/pi as the demo stores it: the angle from -pi/2..pi/2 becomes -128..128.
static const double TUNNEL_ANGLE_SCALE = 0.6366197722844561;

void tunnel_buildTables() {
    for (int y = 0; y < TUNNEL_H; y++) {
        for (int x = 0; x < TUNNEL_W; x++) {
            const int dx = x - TUNNEL_CX;
            const int dy = y - TUNNEL_CY;
            const int dist = (int)(std::sqrt((double)(dx * dx + dy * dy)) / TUNNEL_DIST_RANGE * 255.0);
            // atan folds opposite sides of the centre onto the same angle, so
            // the texture repeats twice around the tunnel.
            const int angle = dx == 0 ? 128 : (int)(std::atan((double)dy / dx) * TUNNEL_ANGLE_SCALE * 128.0);
            distTable[y * TUNNEL_W + x] = (uint8_t)dist;
            angleTable[y * TUNNEL_W + x] = (uint8_t)angle;
        }
    }
}
