// A whole song's way through the player, as varnek-modrender takes it: any
// bytes recognised by content (the seeds are the other music targets'),
// the walk that measures the song's length (up to five minutes: a longer
// walk adds only more of the same ticks), then two seconds of mixing at
// the renderer's rate. Run with a tight -timeout and -rss_limit_mb, it
// finds files whose load or play costs far more than their size and
// length justify.
#include "fuzz/fuzz_util.h"

#include <vector>

#include "music/mixer/dsm.h"
#include "music/mp_module.h"
#include "music/mp_render.h"
#include "music/mp_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.mod", data, size);
    mpModule_T* module = mp_loadModule(path.c_str());
    if (!module)
        return 0;
    mpwSong_T song;
    mpw_walk(module, 1, 5 * 60, &song);
    enum { FRAMES = 2 * MPW_RATE };
    static std::vector<int16_t> out(2 * FRAMES);
    int mixPath = size && (data[size - 1] & 1) ? DSM_FLOAT : DSM_INTEGER;
    if (mpr_start(module, MPW_RATE, mixPath, 1) == 0)
        mpr_render(out.data(), FRAMES);
    mpr_stop();
    mp_freeModule(module);
    return 0;
}
