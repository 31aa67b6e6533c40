// The IT reader on any bytes (the seeds carry the signature), then a moment
// of playback of whatever it accepts: instruments, envelopes, background
// voices and filters a file describes must not break the player or the
// mixer either.
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_playModule("input.it", data, size);
    return 0;
}
