// The module loader on any bytes, then a moment of playback of whatever it
// accepts: what a file says must not break the player or the mixer either.
#include "fuzz/fuzz_util.h"
#include "music/mixer/dsm.h"
#include "music/mp_module.h"
#include "music/mp_render.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.mod", data, size);
    mpModule_T* module = mp_loadModule(path.c_str());
    if (!module)
        return 0;
    // Half a second at a low rate covers a few rows; the song name's first
    // byte (ignored by the player) picks the mixer's numeric path.
    enum { RATE = 8000, FRAMES = RATE / 2 };
    static int16_t out[2 * FRAMES];
    int path0 = (data[0] & 1) ? DSM_FLOAT : DSM_INTEGER;
    if (mpr_start(module, RATE, path0, 1) == 0)
        mpr_render(out, FRAMES);
    mpr_stop();
    mp_freeModule(module);
    return 0;
}
