// The IT sample decompressor alone on any bytes: the first byte picks 8 or
// 16 bits and the 2.14 or 2.15 form, the next two the frames asked for.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music/formats/it_sample.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    bool is16 = data[0] & 1, it215 = data[0] & 2;
    uint32_t frames = (uint32_t)data[1] | (uint32_t)data[2] << 8;
    std::vector<int16_t> out(frames);
    size_t used = 0;
    uint32_t got = itsmp_decompress(data + 3, size - 3, out.data(), frames, is16, it215, &used);
    if (got > frames || used > size - 3)
        __builtin_trap();
    return 0;
}
