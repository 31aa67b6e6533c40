#include "effects/credits/credits.h"

#include <cmath>

#include "effects/credits/credits_entries.h"
#include "formats/font.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "gfx2d/particles.h"
#include "gfx2d/particles_draw.h"
#include "gfx2d/smooth.h"
#include "platform/crand.h"
#include "platform/log.h"

enum {
    CREDIT_SPRITES = 13,
    CREDIT_SPRITE_SIZE = 32,
    CREDIT_PARTICLES = 130,    // a multiple of 13: each particle keeps its sprite
    CREDIT_JUMP_PERIOD = 60,
};

static const char* const CREDIT_FONT = "asdfasdf.jdt";
static gfont_T creditFont;
static gbuffer_T creditSprites[CREDIT_SPRITES];
static particleSystem_T creditParticles;
static float attractPoint[2];   // row, column
static int32_t firstFrame;      // 0 until the first frame is seen
static int32_t elapsed;
static int spriteCounter;

// A faint speckle: about half the pixels get a random dim colour (each
// channel 0 to 30); the rest stay 0, transparent.
static void makeSprite(gbuffer_T* sprite)
{
    sprite->init(CREDIT_SPRITE_SIZE, CREDIT_SPRITE_SIZE);
    if (sprite->errorFlags)
        return;
    for (uint32_t i = 0; i < sprite->pixelCount; i++) {
        if (crt_rand() / 16383 == 0)
            continue;
        uint32_t r = (uint32_t)(crt_rand() / 1092);
        uint32_t g = (uint32_t)(crt_rand() / 1092);
        uint32_t b = (uint32_t)(crt_rand() / 1092);
        sprite->pixels[i] = (r << 16) | (g << 8) | b;
    }
}

int credits_init(gbuffer_T* work)
{
    int32_t w = work->width;
    int32_t h = work->height;
    // Without its font the screen still runs, with sprites and no text.
    creditFont.init(CREDIT_FONT);
    if (!creditFont.initialized)
        con_log("No se pudo cargar la fuente %s", CREDIT_FONT);
    for (gbuffer_T& sprite : creditSprites)
        makeSprite(&sprite);

    creditParticles.init(CREDIT_PARTICLES);
    creditParticles.boxMin[0] = 10;
    creditParticles.boxMin[1] = 10;
    creditParticles.boxMax[0] = (float)(h - CREDIT_SPRITE_SIZE);
    creditParticles.boxMax[1] = (float)(w - CREDIT_SPRITE_SIZE);
    creditParticles.gravity[0] = 0;
    creditParticles.gravity[1] = 0;
    creditParticles.boundMode = PARTICLE_BOUNCE;
    creditParticles.bounce = 0.9f;
    creditParticles.damping = 0.999f;
    creditParticles.reset();
    creditParticles.randomPositions((uint32_t)(h - CREDIT_SPRITE_SIZE), (uint32_t)(w - CREDIT_SPRITE_SIZE));
    creditParticles.randomVelocities(50);

    attractPoint[0] = 0;
    attractPoint[1] = 0;
    firstFrame = 0;
    elapsed = 0;
    spriteCounter = 0;
    return 0;
}

// Each channel swings 60 to 120; the integer product is the angle in radians,
// so the colour wanders rather than cycles.
static uint8_t backgroundChannel(int32_t frame, int32_t speed)
{
    return (uint8_t)(int32_t)(90.0 + 30.0 * std::sin((double)(speed * frame)));
}

void credits_frame(gbuffer_T* work, int frame)
{
    if (firstFrame == 0)
        firstFrame = frame;
    elapsed = frame - firstFrame;
    work->fill(backgroundChannel(frame, 44), backgroundChannel(frame, 88), backgroundChannel(frame, 132));

    creditParticles.step();
    creditParticles.attract(-8.0f, attractPoint);
    // The swarm's goal jumps; it pulls from the next frame on.
    if (frame % CREDIT_JUMP_PERIOD == 5) {
        attractPoint[1] = (float)particles_randSpread((uint32_t)work->width);
        attractPoint[0] = (float)particles_randSpread((uint32_t)work->height);
    }
    particles_drawSprites(&creditParticles, creditSprites, CREDIT_SPRITES, &spriteCounter, work);

    for (const creditEntry_T& entry : creditEntries) {
        int32_t x, y;
        if (credits_entryAt(&entry, elapsed, &x, &y))
            creditFont.drawText(x, y, GPL_CLIP_DEST, work, entry.text);
    }
    smoothPass(work);
}

void credits_release()
{
    for (gbuffer_T& sprite : creditSprites)
        sprite.release();
    creditParticles.release();
    creditFont.release();
}
