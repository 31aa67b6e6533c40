#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effects/tunnel/tunnel_texture.h"

namespace {

uint8_t texel(int u, int v) { return tunnelTexture[v * TUNNEL_TEX + u]; }

// Distinct values in every texel of a small image: 16 x row + column.
std::vector<uint8_t> gridImage(int w, int h) {
    std::vector<uint8_t> img(w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            img[y * w + x] = (uint8_t)(16 * y + x);
    return img;
}

TEST(TunnelTexture, ColumnMoveByMinusTenWrapsToTheBottom) {
    ASSERT_EQ(tunnel_build(0), 0);   // bands: texel (u, v) = v
    const int i = 37;
    ASSERT_EQ(wrapCopy8(tunnelTexture, tunnelTexture, i, 0, 1, 256, i, -10, 256, 256, 256, 256), 0);
    EXPECT_EQ(texel(i, 0), 10);
    EXPECT_EQ(texel(i, 245), 255);
    EXPECT_EQ(texel(i, 246), 0);
    EXPECT_EQ(texel(i, 255), 9);
    EXPECT_EQ(texel(i - 1, 0), 0);   // neighbours untouched
    EXPECT_EQ(texel(i + 1, 246), 246);
}

TEST(TunnelTexture, RowMoveRightWraps) {
    ASSERT_EQ(tunnel_build(0), 0);
    for (int u = 0; u < 256; u++)
        tunnelTexture[5 * 256 + u] = (uint8_t)u;
    ASSERT_EQ(wrapCopy8(tunnelTexture, tunnelTexture, 0, 5, 256, 1, 16, 5, 256, 256, 256, 256), 0);
    EXPECT_EQ(texel(16, 5), 0);
    EXPECT_EQ(texel(0, 5), 240);
    EXPECT_EQ(texel(255, 5), 239);
    EXPECT_EQ(texel(0, 6), 6);
}

TEST(TunnelTexture, RectangleWrapsOnEverySide) {
    // Source 8 x 4, destination 5 x 3: a 3 x 3 block read across the
    // source's top-left corner lands across the destination's bottom-right.
    const std::vector<uint8_t> src = gridImage(8, 4);
    std::vector<uint8_t> dst(5 * 3, 0xEE);
    ASSERT_EQ(wrapCopy8(src.data(), dst.data(), -1, -1, 3, 3, 4, 2, 8, 4, 5, 3), 0);
    // Source columns 7, 0, 1 of rows 3, 0, 1; destination columns 4, 0, 1 of rows 2, 0, 1.
    const int srcCol[3] = {7, 0, 1}, srcRow[3] = {3, 0, 1};
    const int dstCol[3] = {4, 0, 1}, dstRow[3] = {2, 0, 1};
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            EXPECT_EQ(dst[dstRow[r] * 5 + dstCol[c]], src[srcRow[r] * 8 + srcCol[c]]) << r << "," << c;
    // Columns 2 and 3 of every row stay as they were.
    for (int r = 0; r < 3; r++) {
        EXPECT_EQ(dst[r * 5 + 2], 0xEE);
        EXPECT_EQ(dst[r * 5 + 3], 0xEE);
    }
}

TEST(TunnelTexture, CoordinatesFarOutsideWrapMoreThanOnce) {
    const std::vector<uint8_t> src = gridImage(4, 4);
    std::vector<uint8_t> dst(16, 0);
    ASSERT_EQ(wrapCopy8(src.data(), dst.data(), -9, 13, 1, 1, 10, -6, 4, 4, 4, 4), 0);
    // (-9 mod 4, 13 mod 4) = (3, 1); (10 mod 4, -6 mod 4) = (2, 2).
    EXPECT_EQ(dst[2 * 4 + 2], src[1 * 4 + 3]);
}

TEST(TunnelTexture, OversizedOrDegenerateCopiesAreRefused) {
    std::vector<uint8_t> big(320 * 241, 7), dst(320 * 241, 1);
    EXPECT_EQ(wrapCopy8(big.data(), dst.data(), 0, 0, 320, 241, 0, 0, 320, 241, 320, 241), -1);
    EXPECT_EQ(wrapCopy8(big.data(), dst.data(), 0, 0, 4, 4, 0, 0, 0, 4, 4, 4), -1);
    EXPECT_EQ(wrapCopy8(big.data(), dst.data(), 0, 0, 4, 4, 0, 0, 4, 4, 4, -4), -1);
    EXPECT_EQ(dst[0], 1);
    // The largest allowed rectangle still goes through.
    EXPECT_EQ(wrapCopy8(big.data(), dst.data(), 0, 0, 320, 240, 0, 0, 320, 241, 320, 241), 0);
    EXPECT_EQ(dst[0], 7);
    EXPECT_EQ(dst[320 * 240], 1);
}

// The same pass written with explicit (u, v) edge rules, for comparison.
void referenceBlur(uint8_t* t) {
    auto at = [&](int u, int v) -> uint8_t {
        if (u < 0) { u += 256; v -= 1; }
        if (u > 255) { u -= 256; v += 1; }
        v = (v + 256) % 256;
        return t[v * 256 + u];
    };
    for (int v = 0; v < 256; v++)
        for (int u = 0; u < 256; u++) {
            int sum = 0;
            for (int dv = -1; dv <= 1; dv++)
                for (int du = -1; du <= 1; du++)
                    if (du != 0 || dv != 0)
                        sum += at(u + du, v + dv);
            t[v * 256 + u] = (uint8_t)(sum >> 3);
        }
}

TEST(TunnelTexture, BlurMatchesInPlaceLinearNeighbours) {
    uint32_t state = 12345;
    for (uint8_t& t : tunnelTexture) {
        state = state * 1103515245u + 12345u;
        t = (uint8_t)(state >> 24);
    }
    std::vector<uint8_t> expected(tunnelTexture, tunnelTexture + 65536);
    referenceBlur(expected.data());
    blur8();
    EXPECT_EQ(0, std::memcmp(expected.data(), tunnelTexture, 65536));
}

TEST(TunnelTexture, BlurUsesNewValuesBeforeOld) {
    std::memset(tunnelTexture, 0, sizeof tunnelTexture);
    tunnelTexture[128 * 256 + 128] = 80;
    blur8();
    // (127, 127) sees only the old 80; (128, 127) adds its new left
    // neighbour 10; (127, 128) the new 10 and 11 above it; the texel itself
    // then sees only new values: (10 + 11 + 11 + 12) >> 3.
    EXPECT_EQ(texel(127, 127), 10);
    EXPECT_EQ(texel(128, 127), 11);
    EXPECT_EQ(texel(129, 127), 11);
    EXPECT_EQ(texel(127, 128), 12);
    EXPECT_EQ(texel(128, 128), 5);
    EXPECT_EQ(texel(129, 128), 3);
}

TEST(TunnelTexture, BuildersFillBandsAndPalettes) {
    ASSERT_EQ(tunnel_build(0), 0);
    EXPECT_EQ(tunnelPalette[0], 0x000000u);
    EXPECT_EQ(tunnelPalette[200], 200u);
    EXPECT_EQ(texel(17, 99), 99);

    ASSERT_EQ(tunnel_build(1), 0);
    EXPECT_EQ(tunnelPalette[0], 0x00FF00u);
    EXPECT_EQ(tunnelPalette[127], 0x000100u);
    EXPECT_EQ(tunnelPalette[128 + 127], (uint32_t)((32 + 31) << 16 | 254 << 8));
    // Column 1 moved down by trunc(50 sin 1) = 42 rows: row 42 holds band 0.
    EXPECT_EQ(texel(1, 42), 0);
    EXPECT_EQ(texel(0, 42), 42);   // sin 0 = 0: column 0 stays

    ASSERT_EQ(tunnel_build(2), 0);
    EXPECT_EQ(tunnelPalette[1], 0x00FDFDu);
    EXPECT_EQ(tunnelPalette[128 + 64], 0x408080u);

    // Mode 3 leaves the palette alone.
    tunnelPalette[9] = 0x123456;
    ASSERT_EQ(tunnel_build(3), 0);
    EXPECT_EQ(tunnelPalette[9], 0x123456u);
    EXPECT_EQ(texel(9, 200), 200);
}

TEST(TunnelTexture, ModeOutsideTheTableIsRefused) {
    ASSERT_EQ(tunnel_build(0), 0);
    tunnelTexture[0] = 0xAB;
    tunnelPalette[3] = 0xCD;
    for (int mode : {-1, 4, 1000, -2147483647 - 1}) {
        EXPECT_EQ(tunnel_build(mode), -1) << mode;
    }
    EXPECT_EQ(tunnelTexture[0], 0xAB);
    EXPECT_EQ(tunnelPalette[3], 0xCDu);
}

}  // namespace
