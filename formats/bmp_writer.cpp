#include "formats/bmp_writer.h"

#include <cstdio>
#include <cstring>

static void putLe16(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static void putLe32(uint8_t* p, uint32_t v)
{
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

std::vector<uint8_t> bmp_encode24(const image24_T* image)
{
    uint32_t rowBytes = bmp_rowBytes(image->width);
    uint32_t dataBytes = rowBytes * image->height;
    std::vector<uint8_t> out(BMP_HEADER_BYTES + (size_t)dataBytes, 0);
    uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    putLe32(h + 2, (uint32_t)out.size());
    putLe32(h + 10, BMP_HEADER_BYTES);   // pixel data offset
    uint8_t* info = h + 14;
    putLe32(info + 0, 40);               // info header size
    putLe32(info + 4, image->width);
    putLe32(info + 8, image->height);
    putLe16(info + 12, 1);               // planes
    putLe16(info + 14, 24);              // bits per pixel
    putLe32(info + 20, dataBytes);       // image size; compression 0 (none)
    putLe32(info + 24, 2835);            // 72 dots per inch
    putLe32(info + 28, 2835);
    size_t lineBytes = (size_t)image->width * 3;
    for (uint32_t y = 0; y < image->height; y++) {
        const uint8_t* src = image->pixels + (size_t)(image->height - 1 - y) * lineBytes;
        std::memcpy(h + BMP_HEADER_BYTES + (size_t)y * rowBytes, src, lineBytes);
    }
    return out;
}

int bmp_save24(const char* hostPath, const image24_T* image)
{
    std::vector<uint8_t> bytes = bmp_encode24(image);
    FILE* f = std::fopen(hostPath, "wb");
    if (!f)
        return -1;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok ? 0 : -1;
}
