#include <gtest/gtest.h>

#include "effects/tunnel/tunnel_tables.h"

namespace {

struct tableCase_T {
    int x, y;
    int dist, angle;   // -1: not checked
};

TEST(TunnelTables, DistanceAndAngleAtKnownPixels) {
    tunnel_buildTables();
    const tableCase_T cases[] = {
        {160, 100, 0, 128},    // the centre: dx = 0 gives 128
        {161, 100, 1, 0},
        {159, 100, 1, 0},      // opposite side, same angle
        {160, 0, 135, 128},    // straight up: dx = 0 again
        {170, 110, 19, 63},    // 45 degrees: atan(1) x 0.63661977 x 128 falls just short of 64
        {150, 110, 19, 193},   // the other diagonal: -63 kept as a byte
        {150, 90, 19, 63},       // the mirror of (170, 110) through the centre
        {0, 100, 216, -1},     // trunc(160 / 188.679 x 255)
        {0, 239, 30, -1},      // raw 286 keeps its low 8 bits
        {319, 0, 253, 211},    // a top corner: just inside the range
    };
    for (const tableCase_T& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        EXPECT_EQ(distTable[c.y * TUNNEL_W + c.x], c.dist);
        if (c.angle >= 0) {
            EXPECT_EQ(angleTable[c.y * TUNNEL_W + c.x], c.angle);
        }
    }
}

}  // namespace
