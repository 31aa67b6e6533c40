// The sand script on any bytes, run for a bounded number of frames of the
// effect on the headless display. The pictures a script may name are the
// generated ones ("arenadat\\dunas.pcx" and the rest) and two small ones in
// the working folder, "h.pcx" (a height map) and "b.pcx" (a background).
#include <memory>
#include <vector>

#include "effects/sand/sand_effect.h"
#include "formats/pcx_writer.h"
#include "fuzz/fuzz_util.h"

static void writePicture(const char* name, int width, int height, uint8_t base)
{
    std::vector<uint8_t> indices((size_t)width * height);
    for (size_t i = 0; i < indices.size(); i++)
        indices[i] = (uint8_t)(base + i % 61);
    uint8_t palette[768];
    for (int i = 0; i < 768; i++)
        palette[i] = (uint8_t)(i * 5);
    std::vector<uint8_t> file = pcx_encode8(indices.data(), width, height, palette);
    fuzz_writeFile(name, file.data(), file.size());
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_enterScratchDir();
    static const char* const pictures[] = {"paleta.pcx", "dunas.pcx", "logo.pcx", "ocaso.pcx", "relieve.pcx",
                                           "sol.pcx"};
    for (const char* name : pictures)
        fuzz_linkData((std::string("arenadat/") + name).c_str());
    writePicture("h.pcx", SAND_W, SAND_H, 40);
    writePicture("b.pcx", 100, 50, 3);   // smaller than the field
    fuzz_openDisplay();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_writeFile("arenadat/arena.scr", data, size);
    std::unique_ptr<sandEffect_T> effect(new sandEffect_T());
    effect->openScript();
    // Enough frames for two ground steps of a fade (every 8th frame).
    for (int frame = 0; frame < 17 && !sandDone; frame++)
        if (!effect->frame())
            break;
    effect->cleanup();
    return 0;
}
