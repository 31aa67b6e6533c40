#include "gfx2d/smooth.h"

#include "gfx2d/gbuffer.h"

void smoothPass(gbuffer_T* buf)
{
    if (!buf || !buf->pixels || buf->errorFlags || buf->width <= 0 || buf->height < 3)
        return;
    uint32_t w = (uint32_t)buf->width;
    uint32_t n = buf->pixelCount - 2 * w;
    uint32_t* p = buf->pixels;
    // The right neighbour of a row's last pixel is the next row's first one,
    // as in a flat walk over the array; it never leaves the array because the
    // last row is not written.
    for (uint32_t i = 0; i < n; i++) {
        p[w + i] = ((p[i] >> 2) & 0x3F3F3F3F) + ((p[w + i] >> 2) & 0x3F3F3F3F) +
                   ((p[w + i + 1] >> 2) & 0x3F3F3F3F) + ((p[2 * w + i] >> 2) & 0x3F3F3F3F);
    }
}
