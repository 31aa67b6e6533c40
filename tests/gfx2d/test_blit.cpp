#include <gtest/gtest.h>

#include <cstdint>

#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"

namespace {

// Source pixel (x, y) holds a value that names its position.
uint32_t tag(int x, int y)
{
    return 0x010000u + (uint32_t)(y << 8) + (uint32_t)x;
}

void fillTagged(gbuffer_T& b, uint32_t w, uint32_t h)
{
    b.init(w, h);
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++)
            b.pixels[y * w + x] = tag((int)x, (int)y);
}

uint32_t at(const gbuffer_T& b, int x, int y)
{
    return b.pixels[y * b.width + x];
}

int countNonZero(const gbuffer_T& b)
{
    int n = 0;
    for (uint32_t i = 0; i < b.pixelCount; i++)
        n += b.pixels[i] != 0;
    return n;
}

uint32_t blitOnePixel(int mode, uint32_t s, uint32_t b, uint32_t d)
{
    gbuffer_T src, bg, dst;
    src.init(1, 1);
    bg.init(1, 1);
    dst.init(1, 1);
    src.pixels[0] = s;
    bg.pixels[0] = b;
    dst.pixels[0] = d;
    gpl_blit(GPL_CLIP_DEST, mode, 1, 1, &dst, 0, 0, &src, 0, 0, &bg, 0, 0);
    return dst.pixels[0];
}

}  // namespace

TEST(Blit, ClipToDestinationLeftEdge)
{
    gbuffer_T src, dst;
    fillTagged(src, 32, 32);
    dst.init(320, 240);
    gpl_blit(GPL_CLIP_DEST, GPL_COPY, 32, 32, &dst, -10, 5, &src, 0, 0, &dst, -10, 5);
    EXPECT_EQ(countNonZero(dst), 22 * 32);
    EXPECT_EQ(at(dst, 0, 5), tag(10, 0));
    EXPECT_EQ(at(dst, 21, 5), tag(31, 0));
    EXPECT_EQ(at(dst, 21, 36), tag(31, 31));
    EXPECT_EQ(at(dst, 22, 5), 0u);
}

// A 20 x 20 tagged picture blitted across one corner of the clip rectangle:
// how many pixels are left, the source pixel at the corner, and nothing just
// outside it on either side.
TEST(Blit, ClipRectangleCutsThePicture)
{
    struct Case {
        const char* what;
        int32_t xmin, xmax, ymin, ymax;   // gpl_setClip: x bounds first, then y bounds
        int mode, x, y;                   // where the picture goes
        int kept;                         // pixels drawn
        int cornerX, cornerY;             // the clip corner inside the picture
        uint32_t cornerTag;               // the source pixel drawn there
        int step;                         // towards the outside of the corner
    } cases[] = {
        {"right and bottom", 0, 100, 0, 100, GPL_KEYED, 90, 95, 10 * 5, 99, 99, tag(9, 4), 1},
        {"left and top, with a source shift", 50, 150, 60, 160, GPL_COPY, 45, 52, 15 * 12, 50, 60, tag(5, 8), -1},
    };
    for (const Case& c : cases) {
        gbuffer_T src, dst;
        fillTagged(src, 20, 20);
        dst.init(200, 200);
        gpl_setClip(c.xmin, c.xmax, c.ymin, c.ymax);
        gpl_blit(GPL_CLIP_RECT, c.mode, 20, 20, &dst, c.x, c.y, &src, 0, 0, &dst, c.x, c.y);
        EXPECT_EQ(countNonZero(dst), c.kept) << c.what;
        EXPECT_EQ(at(dst, c.cornerX, c.cornerY), c.cornerTag) << c.what;
        EXPECT_EQ(at(dst, c.cornerX + c.step, c.cornerY), 0u) << c.what;
        EXPECT_EQ(at(dst, c.cornerX, c.cornerY + c.step), 0u) << c.what;
    }
}

TEST(Blit, EntirelyOutsideDrawsNothing)
{
    gbuffer_T src, dst;
    fillTagged(src, 16, 16);
    dst.init(64, 64);
    const int corners[][2] = {{-16, 0}, {64, 0}, {0, -16}, {0, 64}, {-100, -100}, {1000, 1000}};
    for (const auto& c : corners)
        gpl_blit(GPL_CLIP_DEST, GPL_COPY, 16, 16, &dst, c[0], c[1], &src, 0, 0, &dst, c[0], c[1]);
    EXPECT_EQ(countNonZero(dst), 0);
}

TEST(Blit, ZeroOrNegativeSizeDrawsNothing)
{
    gbuffer_T src, dst;
    fillTagged(src, 16, 16);
    dst.init(64, 64);
    gpl_blit(GPL_CLIP_DEST, GPL_COPY, 0, 16, &dst, 0, 0, &src, 0, 0, &dst, 0, 0);
    gpl_blit(GPL_CLIP_DEST, GPL_COPY, 16, -3, &dst, 0, 0, &src, 0, 0, &dst, 0, 0);
    EXPECT_EQ(countNonZero(dst), 0);
}

struct pixelCase_T {
    int mode;
    uint32_t s, b, d, expected;
};

TEST(Blit, PixelModes)
{
    const pixelCase_T cases[] = {
        {GPL_COPY, 0x123456, 0, 0x777777, 0x123456},
        {GPL_KEYED, 0x123456, 0, 0x777777, 0x123456},
        {GPL_ADD, 0x80FF10, 0x901010, 0, 0xFFFF20},          // red and green saturate
        {GPL_ADD, 0x010203, 0x102030, 0xAB000000, 0xAB112233},  // top byte of d kept
        {GPL_SUB, 0x808080, 0x808080, 0, 0x010101},
        {GPL_SUB, 0x808080, 0x7F7F7F, 0, 0x000000},
        {GPL_SUB, 0xFF40C0, 0xFFC040, 0, 0xFF0101},
        {GPL_AVERAGE, 0xFF8001, 0x0180FF, 0x777777, 0x7F807F},
        {GPL_WHITE, 0x000001, 0, 0, 0xFFFFFF},
        {GPL_BLACK, 0x123456, 0, 0x777777, 0},
        {GPL_NEGATIVE, 0xAB123456, 0, 0, 0xABEDCBA9},        // top byte of s kept
        {GPL_ROTATE_GBR, 0x00112233, 0, 0, 0x11223311},
        {GPL_ROTATE_BRG, 0x00112233, 0, 0, 0x22331122},
    };
    for (const pixelCase_T& c : cases)
        EXPECT_EQ(blitOnePixel(c.mode, c.s, c.b, c.d), c.expected) << "mode " << c.mode;
}

TEST(Blit, ZeroSourceIsTransparentExceptForPlainCopy)
{
    const int keyedModes[] = {GPL_KEYED, GPL_ADD, GPL_SUB, GPL_AVERAGE, GPL_WHITE,
                              GPL_BLACK, GPL_NEGATIVE, GPL_ROTATE_GBR, GPL_ROTATE_BRG};
    for (int mode : keyedModes)
        EXPECT_EQ(blitOnePixel(mode, 0, 0x404040, 0x777777), 0x777777u) << "mode " << mode;
    EXPECT_EQ(blitOnePixel(GPL_COPY, 0, 0x404040, 0x777777), 0u);
}

TEST(Blit, UnknownModesDrawNothing)
{
    const int unknown[] = {0, 3, 12, 21, 33, 42, -1, 1000};
    for (int mode : unknown)
        EXPECT_EQ(blitOnePixel(mode, 0x123456, 0x404040, 0x777777), 0x777777u) << "mode " << mode;
}

TEST(Blit, BlendsWithBackgroundAtItsOwnOffset)
{
    gbuffer_T src, bg, dst;
    src.init(2, 1);
    src.pixels[0] = src.pixels[1] = 0x101010;
    bg.init(8, 8);
    bg.pixels[3 * 8 + 5] = 0x010203;
    bg.pixels[3 * 8 + 6] = 0x040506;
    dst.init(4, 4);
    gpl_blit(GPL_CLIP_DEST, GPL_ADD, 2, 1, &dst, 1, 2, &src, 0, 0, &bg, 5, 3);
    EXPECT_EQ(at(dst, 1, 2), 0x111213u);
    EXPECT_EQ(at(dst, 2, 2), 0x141516u);
}

TEST(Blit, NeverReadsOutsideSourceOrBackground)
{
    gbuffer_T src, dst;
    fillTagged(src, 8, 8);
    dst.init(16, 16);
    // A source rectangle hanging off the source on every side: only the part
    // inside it is copied, landing where it would have landed.
    gpl_blit(GPL_CLIP_NONE, GPL_COPY, 12, 12, &dst, 2, 2, &src, -2, -2, &dst, 2, 2);
    EXPECT_EQ(countNonZero(dst), 64);
    EXPECT_EQ(at(dst, 4, 4), tag(0, 0));
    EXPECT_EQ(at(dst, 11, 11), tag(7, 7));

    // The background hangs off the bottom of its buffer (the closing picture
    // of the greetings is shaken that way): the rows without background are
    // left out.
    gbuffer_T pic, work;
    pic.init(16, 16);
    pic.fill(0x80, 0x80, 0x80);
    work.init(16, 16);
    gpl_blit(GPL_CLIP_DEST, GPL_AVERAGE, 16, 16, &work, 0, 0, &pic, 0, 0, &work, 3, 5);
    EXPECT_EQ(countNonZero(work), 13 * 11);
}

TEST(Blit, NoClipStillStaysInsideTheDestination)
{
    gbuffer_T src, dst;
    fillTagged(src, 8, 8);
    dst.init(10, 10);
    gpl_blit(GPL_CLIP_NONE, GPL_KEYED, 8, 8, &dst, 6, -3, &src, 0, 0, &dst, 6, -3);
    EXPECT_EQ(countNonZero(dst), 4 * 5);
    EXPECT_EQ(at(dst, 6, 0), tag(0, 3));
}

TEST(Blit, BrokenBuffersAreIgnored)
{
    gbuffer_T src, dst, empty;
    fillTagged(src, 4, 4);
    dst.init(4, 4);
    gpl_blit(GPL_CLIP_DEST, GPL_COPY, 4, 4, &dst, 0, 0, &empty, 0, 0, &dst, 0, 0);
    gpl_blit(GPL_CLIP_DEST, GPL_COPY, 4, 4, &empty, 0, 0, &src, 0, 0, &dst, 0, 0);
    gpl_blit(GPL_CLIP_DEST, GPL_ADD, 4, 4, &dst, 0, 0, &src, 0, 0, nullptr, 0, 0);
    EXPECT_EQ(countNonZero(dst), 0);
}

// A blend whose background is the destination itself, behind the write
// position, reads what the same blit has just written: pixel by pixel, in
// memory order. The text screens' fonts rely on this.
TEST(Blit, BlendInPlaceReadsItsOwnOutput)
{
    gbuffer_T buf, src;
    buf.init(4, 1);
    src.init(3, 1);
    for (uint32_t i = 0; i < 4; i++)
        buf.pixels[i] = 0x010101;
    for (uint32_t i = 0; i < 3; i++)
        src.pixels[i] = 0x010101;
    gpl_blit(GPL_CLIP_DEST, GPL_ADD, 3, 1, &buf, 1, 0, &src, 0, 0, &buf, 0, 0);
    EXPECT_EQ(at(buf, 0, 0), 0x010101u);
    EXPECT_EQ(at(buf, 1, 0), 0x020202u);
    EXPECT_EQ(at(buf, 2, 0), 0x030303u);
    EXPECT_EQ(at(buf, 3, 0), 0x040404u);
}
