// The 2D library's PCX reader on any bytes.
#include "formats/pcx.h"
#include "fuzz/fuzz_util.h"
#include "gfx2d/gbuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.pcx", data, size);
    gbuffer_T picture;
    int result = gpl_loadPcx(path.c_str(), &picture);
    // A success hands over a picture of the size it says.
    if (result == PCX_OK && (uint64_t)picture.width * (uint64_t)picture.height != picture.pixelCount)
        __builtin_trap();
    return 0;
}
