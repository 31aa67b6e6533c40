// Set-up, the per-frame sequence and the release of the sand effect.
#include "effects/sand/sand_effect.h"

#include "platform/crand.h"
#include "platform/files.h"
#include "platform/log.h"

uint8_t sandDone = 0;

static const char* const SAND_PALETTE = "arenadat\\paleta.pcx";
static const char* const SAND_SCRIPT = "arenadat\\arena.scr";

sandEffect_T::sandEffect_T()
{
    init();
}

sandEffect_T::~sandEffect_T()
{
    cleanup();
}

void sandEffect_T::setup(uint32_t greenMask)
{
    // 5-6-5 when the green mask reaches bit 10, and when the display could
    // not tell (mask 0); 5-5-5 otherwise.
    format565 = greenMask == 0 || (greenMask & 0x400) != 0;
    const int cellCount = SAND_W * SAND_H;
    if (!frameImage)
        frameImage = new uint16_t[cellCount]();
    if (!background)
        background = new uint16_t[cellCount]();   // black until a LOAD brings a picture
    if (!cells)
        cells = new sandCell_T[cellCount]();
    if (!grains)
        grains = new sandGrain_T[SAND_GRAINS]();
    if (!basePalette)
        basePalette = new uint16_t[256]();
    if (!shadedPalettes)
        shadedPalettes = new uint16_t[256][256]();
    for (int i = 0; i < SAND_GRAINS; i++)
        grains[i].state = 4;
    for (int i = 0; i < cellCount; i++) {
        cells[i].colour = (uint8_t)crt_rand();
        cells[i].sand = 0;
        cells[i].total = cells[i].terrain;
    }
    if (!loadPalette(SAND_PALETTE)) {
        // Said once: the effect's second set-up finds it finished already.
        if (sandState != SAND_FINISHED)
            con_log("No se pudo cargar %s", SAND_PALETTE);
        sandState = SAND_FINISHED;
        return;
    }
    buildShadedPalettes();
}

// Palette k holds the base colours at brightness (k + 1) / 512 + 0.5, so 255
// is the base palette and 0 about half as bright: a cell is brighter the more
// sand it holds. Channels are scaled in place under their masks.
void sandEffect_T::buildShadedPalettes()
{
    const uint32_t redMask = format565 ? 0xF800 : 0x7C00;
    const uint32_t greenMask = format565 ? 0x07E0 : 0x03E0;
    const uint32_t blueMask = 0x001F;
    for (int k = 0; k < 256; k++) {
        float f = (float)(k + 1) / 512.0f + 0.5f;
        for (int i = 0; i < 256; i++) {
            uint32_t c = basePalette[i];
            uint32_t r = (uint32_t)((float)(c & redMask) * f) & redMask;
            uint32_t g = (uint32_t)((float)(c & greenMask) * f) & greenMask;
            uint32_t b = (uint32_t)((float)(c & blueMask) * f) & blueMask;
            shadedPalettes[k][i] = (uint16_t)(r | g | b);
        }
    }
}

void sandEffect_T::openScript()
{
    crt_srand(342);
    frameCounter = 0;
    sandDone = 0;
    if (!script)
        script = pf_fopen(SAND_SCRIPT, "rb");
    if (!script) {
        con_log("No se pudo abrir %s", SAND_SCRIPT);
        sandState = SAND_FINISHED;
    }
}

int sandEffect_T::step()
{
    frameCounter++;
    if (sandState == SAND_FINISHED)
        return 0;
    interpret();
    switch (sandState) {
    case SAND_FADING_IN:
        fadeInStep();
        break;
    case SAND_FADING_OUT:
        fadeOutStep();
        break;
    case SAND_WAITING:
        if (counter == 0)
            sandState = SAND_READING;
        else
            counter--;
        break;
    default:
        break;
    }
    simulate();
    drawGrains();
    return 1;
}

int sandEffect_T::frame()
{
    if (!step())
        return 0;
    present();
    return 1;
}

void sandEffect_T::cleanup()
{
    if (script) {
        std::fclose(script);
        script = nullptr;
    }
    delete[] cells;
    delete[] grains;
    delete[] basePalette;
    delete[] shadedPalettes;
    delete[] frameImage;
    delete[] background;
    delete[] heightMap;
    cells = nullptr;
    grains = nullptr;
    basePalette = nullptr;
    shadedPalettes = nullptr;
    frameImage = nullptr;
    background = nullptr;
    heightMap = nullptr;
}
