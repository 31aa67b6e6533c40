#include "effects/credits/credits_entries.h"

// The crew, by role; the third coder also drew.
static const char nameCode1[] = "NULLWIRE";
static const char nameCode2[] = "OKSANA";
static const char nameCodeGfx[] = "PIXELMOTH";
static const char nameCode4[] = "TORUK";
static const char nameGfx1[] = "LUMA";
static const char nameGfx2[] = "FERRO-9";
static const char nameGfx3[] = "SKETCHY";
static const char nameMusic1[] = "DRUMSTEIN";
static const char nameMusic2[] = "MOLLY TONE";
static const char groupWord1[] = "PARALLAX";
static const char groupWord2[] = "WEAVERS";

// Headings stand still under the scrolling names, which enter from the right
// edge at 7 pixels a frame; the group name closes in from above and below,
// then stands in its final place.
const creditEntry_T creditEntries[CREDIT_ENTRIES] = {
    {"CODE", 40, 190, 120, 140, 65, 120, 0, 0},
    {nameCode1, 40, 340, 320, 20, -320, 20, -7, 0},
    {nameCode2, 70, 370, 320, 20, -320, 20, -7, 0},
    {nameCodeGfx, 95, 395, 320, 20, -320, 20, -7, 0},
    {nameCode4, 133, 433, 320, 20, -350, 20, -7, 0},
    {"GFX", 193, 343, 135, 140, 135, 120, 0, 0},
    {nameGfx1, 193, 493, 320, 20, -350, 20, -7, 0},
    {nameGfx2, 231, 531, 320, 20, -350, 20, -7, 0},
    {nameCodeGfx, 271, 571, 320, 20, -350, 20, -7, 0},
    {nameGfx3, 306, 606, 320, 20, -350, 20, -7, 0},
    {"MUSIC", 346, 476, 80, 140, 80, 120, 0, 0},
    {nameMusic1, 346, 646, 320, 20, -350, 20, -7, 0},
    {nameMusic2, 401, 701, 320, 20, -350, 20, -7, 0},
    {groupWord1, 491, 541, 30, -100, 30, 40, 0, 4},
    {groupWord2, 491, 541, 60, 220, 60, 100, 0, -4},
    {groupWord1, 536, 636, 5, 50, 5, 50, 0, 0},
    {groupWord2, 536, 636, 130, 100, 130, 100, 0, 0},
};

// Moving forward a coordinate stops at its limit (the smaller wins), moving
// backward likewise (the larger wins); a still one stays where it started.
static int32_t moveTo(int32_t start, int32_t speed, int32_t limit, int32_t t)
{
    int32_t v = start + speed * t;
    if (speed > 0 && v > limit)
        return limit;
    if (speed < 0 && v < limit)
        return limit;
    return speed == 0 ? start : v;
}

int credits_entryAt(const creditEntry_T* e, int32_t elapsed, int32_t* x, int32_t* y)
{
    if (!(e->startFrame < elapsed && elapsed < e->endFrame))
        return 0;
    int32_t t = elapsed - e->startFrame;
    *x = moveTo(e->x, e->dx, e->xLimit, t);
    *y = moveTo(e->y, e->dy, e->yLimit, t);
    return 1;
}
