// The BMP reader on any bytes, and the conversion of what it returns into a
// 16-bit texture (which trusts the image's size).
#include "formats/bmp.h"
#include "fuzz/fuzz_util.h"
#include "render/pixel_tables.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pix_setFormat(0xF800, 0x07E0, 0x001F, 320, 240);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.bmp", data, size);
    image24_T* image = loadBmp24(path.c_str());
    if (!image)
        return 0;
    delete[] imageToTexture16(image);
    freeImage24(image);
    return 0;
}
