// One step of the sand grains and the drawing of the sand field.
#include "effects/sand/sand_effect.h"

#include <cmath>

#include "platform/crand.h"

namespace {
// A 16.16 wind component, truncated toward zero. Held to 1024 cells per hop:
// three times the field's width, so any wind the bound cuts would leave the
// field in one hop whether cut or not, and the position sums stay inside 32
// bits whatever the script says.
int32_t sand_fixed(double v)
{
    const double limit = 1024.0 * SAND_FIX_ONE;
    if (!(v > -limit))
        return v != v ? 0 : (int32_t)-limit;
    if (v > limit)
        return (int32_t)limit;
    return (int32_t)v;
}
}

void sandEffect_T::simulate()
{
    for (int i = 0; i < SAND_JITTER; i++) {
        jitter1[i] = crt_rand() * 4 - SAND_FIX_ONE;
        jitter2[i] = crt_rand() * 4 - SAND_FIX_ONE;
    }
    // Gust: the wind swings by up to 40 degrees, 10 degrees of phase a frame.
    int gust = crt_rand() % 40;
    float angle = windAngle + (float)(std::sin(frameCounter * 0.17453292522222222) * gust);
    double a = angle * 0.017453292;
    const int32_t windX = sand_fixed(std::cos(a) * windStrength * SAND_FIX_ONE);
    const int32_t windY = sand_fixed(std::sin(a) * windStrength * SAND_FIX_ONE);

    // When little moves the threshold sinks, so more cells give up grains.
    if (movedCount <= 4000 && altura > INT32_MIN)
        altura--;
    movedCount = 0;

    uint16_t* const image = frameImage;
    const uint16_t* const back = background;
    sandGrain_T* g = grains;
    for (int n = 0; n < SAND_GRAINS; n++, g++) {
        if (g->state >= 3) {
            // Free: pick a cell at random; an axis whose pick falls off the
            // field keeps the old position (made plain if it was 16.16).
            int32_t rx = crt_rand() & 511;
            int32_t ry = crt_rand() & 511;
            if (rx < SAND_W)
                g->x = rx;
            else if (g->x >= SAND_W)
                g->x >>= SAND_FIX_SHIFT;
            if (ry < SAND_H)
                g->y = ry;
            else if (g->y >= SAND_H)
                g->y >>= SAND_FIX_SHIFT;
            int index = g->y * SAND_W + g->x;
            sandCell_T* c = &cells[index];
            if (fillMode) {
                if (c->sand == 1)
                    continue;
                if (c->sand == 0) {
                    // A hole: put a grain in before taking one out.
                    c->colour = (uint8_t)crt_rand();
                    c->sand++;
                    c->total++;
                    image[index] = shadedPalettes[c->sand][c->colour];
                }
            } else if (c->sand == 0 || (int32_t)c->total < altura) {
                continue;
            }
            g->state = 0;
            int r = crt_rand() & 63;
            g->vx = jitter2[r] + windX;
            g->vy = jitter1[r] + windY;
            g->colour = c->colour;
            g->stamp = c->total;
            g->x <<= SAND_FIX_SHIFT;
            g->y <<= SAND_FIX_SHIFT;
        }

        // Hop.
        int r = crt_rand() & 63;
        int32_t nx = g->x + g->vx + jitter1[r];
        int32_t ny = g->y + g->vy + jitter2[r];
        uint32_t dx = (uint32_t)(nx >> SAND_FIX_SHIFT), dy = (uint32_t)(ny >> SAND_FIX_SHIFT);
        if (dx >= SAND_W || dy >= SAND_H) {
            g->state = 3;   // off the field: free again, position kept
            continue;
        }
        int srcIndex = (g->y >> SAND_FIX_SHIFT) * SAND_W + (g->x >> SAND_FIX_SHIFT);
        int dstIndex = (int)(dy * SAND_W + dx);
        sandCell_T* src = &cells[srcIndex];
        sandCell_T* dst = &cells[dstIndex];
        int32_t diff = (int32_t)(dst->total - src->total);
        sandCell_T* on;
        if ((crt_rand() & 15) > diff) {
            // Downhill always, uphill by less than a random 0 to 15.
            movedCount++;
            src->colour = (uint8_t)crt_rand();
            if (src->sand > 0) {
                src->sand--;
                src->total--;
                image[srcIndex] = shadedPalettes[src->sand][src->colour];
            }
            if (src->sand == 0)
                image[srcIndex] = back[srcIndex];
            g->x = nx;
            g->y = ny;
            dst->colour = g->colour;
            if (dst->sand < 255) {
                dst->sand++;
                dst->total++;
            }
            image[dstIndex] = shadedPalettes[dst->sand][dst->colour];
            g->stamp = dst->total;
            if (g->state > INT32_MIN)
                g->state--;
            on = dst;
        } else {
            g->state++;
            on = src;
        }
        if (fillMode && on->sand <= 2)
            g->state = 3;
    }
}

// A grain shows in the colour it carries, shaded by the height it landed at,
// as long as its cell has not changed since.
void sandEffect_T::drawGrains()
{
    const sandGrain_T* g = grains;
    for (int n = 0; n < SAND_GRAINS; n++, g++) {
        int index = (g->y >> SAND_FIX_SHIFT) * SAND_W + (g->x >> SAND_FIX_SHIFT);
        if (g->stamp == cells[index].total)
            frameImage[index] = shadedPalettes[g->stamp & 255][g->colour];
    }
}

void sandEffect_T::redraw()
{
    for (int i = 0; i < SAND_W * SAND_H; i++) {
        const sandCell_T& c = cells[i];
        frameImage[i] = c.sand ? shadedPalettes[c.sand][c.colour] : background[i];
    }
}
