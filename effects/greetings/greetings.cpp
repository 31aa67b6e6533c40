#include "effects/greetings/greetings.h"

#include <cstring>

#include "effects/greetings/greetings_entries.h"
#include "formats/font.h"
#include "formats/pcx.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "gfx2d/particles.h"
#include "gfx2d/particles_draw.h"
#include "gfx2d/smooth.h"
#include "platform/crand.h"
#include "platform/log.h"

enum {
    GREET_SPRITES = 13,
    GREET_SPRITE_SIZE = 5,
    GREET_PARTICLES = 2000,     // not a multiple of 13: the sparks flicker
    GREET_BAND_MARGIN = 60,     // the lines show only in rows 60 .. h - 61
    GREET_CULL_FROM = 1000,     // after this elapsed frame sparks may leave
    GREET_CLOSING_FROM = 1040,  // after this one the closing picture shows
};

static const char* const GREET_FONT = "asdf.jdt";
static const char* const GREET_CLOSING_PICTURE = "zant\\theend.pcx";
static gfont_T greetFont;
static gbuffer_T closingPicture;   // kept until process end
static gbuffer_T closingBackground;   // the work buffer as it was before a shaken blit
static gbuffer_T greetSprites[GREET_SPRITES];
static particleSystem_T greetParticles;
static float jumpPoint[2];        // row, column
static float fountainPoint[2];
static int32_t firstFrame;        // 0 until the first frame is seen
static int32_t elapsed;
static int spriteCounter;
static greetEntry_T greetEntries[GREET_ENTRIES];

const greetEntry_T* greetings_entries()
{
    return greetEntries;
}

const particleSystem_T* greetings_particles()
{
    return &greetParticles;
}

// A green spark: about half the pixels get green 200 to 255 (0 in the rare
// case the draw is 56 x 585 or more, which wraps to 0), the rest stay 0.
static void makeSprite(gbuffer_T* sprite)
{
    sprite->init(GREET_SPRITE_SIZE, GREET_SPRITE_SIZE);
    if (sprite->errorFlags)
        return;
    for (uint32_t i = 0; i < sprite->pixelCount; i++) {
        if (crt_rand() / 16383 == 0)
            continue;
        uint8_t green = (uint8_t)(crt_rand() / 585 - 56);
        sprite->pixels[i] = (uint32_t)green << 8;
    }
}

int greetings_init(gbuffer_T* work)
{
    int32_t w = work->width;
    int32_t h = work->height;
    // Without its font the screen still runs, with sparks and no text;
    // without the closing picture the demo cannot end as it should.
    greetFont.init(GREET_FONT);
    if (!greetFont.initialized)
        con_log("No se pudo cargar la fuente %s", GREET_FONT);
    if (gpl_loadPcx(GREET_CLOSING_PICTURE, &closingPicture) != 0) {
        con_log("No se pudo cargar %s", GREET_CLOSING_PICTURE);
        return -1;
    }
    for (gbuffer_T& sprite : greetSprites)
        makeSprite(&sprite);

    greetParticles.init(GREET_PARTICLES);
    greetParticles.boxMin[0] = 60;
    greetParticles.boxMin[1] = 6;
    greetParticles.boxMax[0] = (float)(h - 66);
    greetParticles.boxMax[1] = (float)(w - 6);
    greetParticles.gravity[0] = -0.1f;    // subtracted: the sparks fall
    greetParticles.gravity[1] = 0;
    greetParticles.boundMode = PARTICLE_BOUNCE;
    greetParticles.bounce = 0.7f;
    greetParticles.damping = 0.999f;
    greetParticles.reset();
    greetParticles.randomPositions((uint32_t)(h - 92), (uint32_t)(w - 32));
    greetParticles.randomVelocities(50);

    greetings_setEntries(greetEntries);
    jumpPoint[0] = jumpPoint[1] = 0;
    fountainPoint[0] = fountainPoint[1] = 0;
    firstFrame = 0;
    elapsed = 0;
    spriteCounter = 0;
    return 0;
}

// Mode 1: a fountain at the bottom centre pulls the sparks in and every sixth
// frame a burst somewhere along the bottom blows them up again.
// Mode 0: the sparks chase a point that jumps every 30 frames.
static void moveSparks(int32_t w, int32_t h, int mode)
{
    if (mode == 1) {
        fountainPoint[0] = (float)(h - 62);
        fountainPoint[1] = (float)(w / 2);
        greetParticles.attract(-4.0f, fountainPoint);
        if (elapsed % 6 == 5) {
            jumpPoint[0] = (float)(h - 60);
            jumpPoint[1] = (float)particles_randSpread((uint32_t)w);
            greetParticles.attract((float)(crt_rand() / 655 + 20), jumpPoint);
        }
    } else {
        if (elapsed % 30 == 0) {
            jumpPoint[1] = (float)particles_randSpread((uint32_t)w);
            jumpPoint[0] = (float)particles_randSpread((uint32_t)(h - 60));
        }
        greetParticles.attract((float)(-10 - crt_rand() / 1092), jumpPoint);
    }
}

// The work buffer before one shaken blit. The blit's background lies a few
// pixels away from where it writes, inside the same buffer: read in place, a
// row would take in what the blit has just written above or to its left, and
// the additive blit would feed on its own sums up to white, a strobe that
// flashes from frame to frame. Read from this copy each blit glows once.
static const gbuffer_T* closingSnapshot(const gbuffer_T* work)
{
    if (!closingBackground.pixels || closingBackground.width != work->width ||
        closingBackground.height != work->height)
        closingBackground.init((uint32_t)work->width, (uint32_t)work->height);
    if (closingBackground.errorFlags || !closingBackground.pixels)
        return nullptr;
    std::memcpy(closingBackground.pixels, work->pixels, (size_t)work->pixelCount * sizeof(uint32_t));
    return &closingBackground;
}

// The picture goes on three times at small random offsets, twice averaged
// and once added, so it shakes and glows. For each blit the offsets are drawn
// background row, background column, destination row, destination column.
static void drawClosingPicture(gbuffer_T* work)
{
    struct shake_T {
        int mode;
        int columnDivisor, rowDivisor;
    };
    static const shake_T shakes[3] = {
        {GPL_AVERAGE, 2340, 6553},    // 0..14 columns, 0..5 rows
        {GPL_AVERAGE, 2340, 6553},
        {GPL_ADD, 4095, 10922},       // 0..8 columns, 0..3 rows
    };
    for (const shake_T& s : shakes) {
        int32_t by = crt_rand() / s.rowDivisor;
        int32_t bx = crt_rand() / s.columnDivisor;
        int32_t dy = crt_rand() / s.rowDivisor;
        int32_t dx = crt_rand() / s.columnDivisor;
        const gbuffer_T* background = closingSnapshot(work);
        if (!background)
            continue;   // no memory for the copy: this layer is left out
        gpl_blit(GPL_CLIP_DEST, s.mode, closingPicture.width, closingPicture.height, work, dx, dy,
                 &closingPicture, 0, 0, background, bx, by);
    }
}

void greetings_frame(gbuffer_T* work, int frame, int mode)
{
    int32_t w = work->width;
    int32_t h = work->height;
    work->fill(0, 0, 0);
    if (firstFrame == 0)
        firstFrame = frame;
    elapsed = frame - firstFrame;

    greetParticles.step();
    moveSparks(w, h, mode);
    particles_drawSprites(&greetParticles, greetSprites, GREET_SPRITES, &spriteCounter, work);

    for (greetEntry_T& e : greetEntries) {
        if (!greetings_stepEntry(&e, elapsed))
            continue;
        gpl_setClip(0, w, GREET_BAND_MARGIN, h - GREET_BAND_MARGIN);
        greetFont.drawText((int32_t)e.posX, (int32_t)e.posY, GPL_CLIP_RECT, work, e.text);
    }

    if (elapsed > GREET_CULL_FROM) {
        greetParticles.boxMin[0] = 0;
        greetParticles.boxMin[1] = 0;
        greetParticles.boxMax[0] = (float)h;
        greetParticles.boxMax[1] = (float)w;
        greetParticles.boundMode = PARTICLE_CULL;
    }
    if (elapsed > GREET_CLOSING_FROM)
        drawClosingPicture(work);
    smoothPass(work);
    smoothPass(work);
}

void greetings_release()
{
    for (gbuffer_T& sprite : greetSprites)
        sprite.release();
    greetParticles.release();
    greetFont.release();
    closingBackground.release();
}
