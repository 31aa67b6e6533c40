// The module loader on any bytes, then a moment of playback of whatever it
// accepts: what a file says must not break the player or the mixer either.
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_playModule("input.mod", data, size);
    return 0;
}
