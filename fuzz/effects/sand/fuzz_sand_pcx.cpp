// The sand effect's own PCX decoding on any bytes: the same file as a height
// map, as a background picture and as the palette file.
#include <memory>

#include "effects/sand/sand_effect.h"
#include "fuzz/fuzz_util.h"

static sandEffect_T* effect;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_enterScratchDir();
    fuzz_openDisplay();
    effect = new sandEffect_T();   // allocates the pictures the loaders fill
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.pcx", data, size);
    static uint8_t map[SAND_W * SAND_H];
    effect->loadHeightMap(path.c_str(), map);
    effect->loadBackground(path.c_str());
    effect->loadPalette(path.c_str());
    return 0;
}
