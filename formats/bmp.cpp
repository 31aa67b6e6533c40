#include "formats/bmp.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/files.h"

static uint32_t readLe32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

uint32_t bmp_rowBytes(uint32_t width)
{
    return (width * 3 + 3) & ~3u;
}

// The rows the header promises must be in the file: a lying header is then
// refused before a huge allocation instead of failing on the first short row.
static bool sizeFits(int32_t width, int32_t height, long available)
{
    if (width < 0 || height < 0 || available < 0)
        return false;
    // Rows without a single pixel take no bytes, so the file cannot bound
    // their count: such a picture holds nothing and is refused.
    if (width == 0 && height != 0)
        return false;
    unsigned long long rowBytes = bmp_rowBytes((uint32_t)width);
    unsigned long long pixelBytes = (unsigned long long)width * (unsigned long long)height * 4;
    return width <= 0xFFFFFF && rowBytes * (unsigned long long)height <= (unsigned long long)available
        && pixelBytes <= 0x7FFFFFFFull;
}

image24_T* loadBmp24(const char* path)
{
    FILE* f = pf_fopen(path, "rb");
    if (!f)
        return nullptr;
    uint8_t header[BMP_HEADER_BYTES];
    const uint8_t* info = header + 14;
    // Compression and the pixel-data offset are not consulted: the rows are
    // taken to follow the two headers, as in every file the demo ships.
    if (std::fread(header, 1, sizeof header, f) != sizeof header || header[0] != 'B' || header[1] != 'M'
        || (info[14] | (info[15] << 8)) != 24) {
        std::fclose(f);
        return nullptr;
    }
    int32_t width = (int32_t)readLe32(info + 4);
    int32_t height = (int32_t)readLe32(info + 8);
    // A negative height (a top-down file) is refused, as is a size the file
    // cannot hold.
    if (!sizeFits(width, height, pf_fileBytesLeft(f))) {
        std::fclose(f);
        return nullptr;
    }
    image24_T* image = new (std::nothrow) image24_T;
    uint8_t* pixels = new (std::nothrow) uint8_t[(size_t)width * (size_t)height * 4];
    uint32_t rowBytes = bmp_rowBytes((uint32_t)width);
    uint8_t* row = new (std::nothrow) uint8_t[rowBytes + 1];
    bool ok = image && pixels && row;
    // The first file row is the bottom of the picture.
    for (int32_t y = height - 1; ok && y >= 0; y--) {
        ok = std::fread(row, 1, rowBytes, f) == rowBytes;
        if (ok)
            std::memcpy(pixels + (size_t)y * (size_t)width * 3, row, (size_t)width * 3);
    }
    delete[] row;
    std::fclose(f);
    if (!ok) {
        delete[] pixels;
        delete image;
        return nullptr;
    }
    image->bitsPerPixel = 24;
    image->width = (uint32_t)width;
    image->height = (uint32_t)height;
    image->pixels = pixels;
    return image;
}

void freeImage24(image24_T* image)
{
    if (!image)
        return;
    delete[] image->pixels;
    delete image;
}
