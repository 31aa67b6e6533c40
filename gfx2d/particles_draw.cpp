#include "gfx2d/particles_draw.h"

#include <cmath>

#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "gfx2d/particles.h"

// Positions far outside any buffer are clamped before the conversion so that
// the truncation stays defined; such a sprite is clipped away all the same.
static int32_t truncateCoord(float v)
{
    if (!(v > -1.0e6f))
        return -1000000;
    if (v > 1.0e6f)
        return 1000000;
    return (int32_t)v;
}

void particles_drawSprites(const particleSystem_T* ps, const gbuffer_T* sprites, int spriteCount,
                           int* spriteCounter, gbuffer_T* dst)
{
    if (spriteCount <= 0)
        return;
    for (uint32_t i = 0; i < ps->count; i++) {
        const particle_T& p = ps->particles[i];
        if (!p.alive)
            continue;
        *spriteCounter = *spriteCounter + 1 >= spriteCount ? 0 : *spriteCounter + 1;
        const gbuffer_T& sprite = sprites[*spriteCounter];
        int32_t x = truncateCoord(p.position[1]);
        int32_t y = truncateCoord(p.position[0]);
        gpl_blit(GPL_CLIP_DEST, GPL_ADD, sprite.width, sprite.height, dst, x, y, &sprite, 0, 0, dst, x, y);
    }
}
