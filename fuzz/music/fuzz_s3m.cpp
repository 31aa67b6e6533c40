// The S3M reader on any bytes (the seeds carry the signature, and the
// dictionary its fields), then a moment of playback of whatever it accepts:
// the S3M rules and the mixer's 16-bit and stereo samples run on it too.
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_playModule("input.s3m", data, size);
    return 0;
}
