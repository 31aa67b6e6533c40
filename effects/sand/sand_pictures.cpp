// The sand effect's picture files. It reads PCX files its own way: a height
// map is nothing but its run-length data (the header is not looked at), the
// palette file gives only its palette, and a background becomes a 16-bit
// picture in the effect's pixel format.
#include "effects/sand/sand_effect.h"

#include <vector>

#include "formats/pcx.h"
#include "platform/gfile.h"

uint16_t sandEffect_T::toPixel(const uint8_t* rgb) const
{
    if (format565)
        return (uint16_t)(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3));
    return (uint16_t)(((rgb[0] >> 3) << 10) | ((rgb[1] >> 3) << 5) | (rgb[2] >> 3));
}

// The data from offset 128 on decode into exactly 320 x 240 heights, 320 per
// row, whatever the header says. A file that ends early is refused.
int sandEffect_T::loadHeightMap(const char* name, uint8_t* map)
{
    std::vector<uint8_t> file;
    if (gfile_readAll(name, &file) != 0 || file.size() < PCX_HEADER_SIZE)
        return 0;
    size_t pos = PCX_HEADER_SIZE;
    return pcx_rleDecode(file.data(), file.size(), &pos, map, SAND_W * SAND_H) >= 0;
}

int sandEffect_T::loadPalette(const char* name)
{
    std::vector<uint8_t> file;
    if (gfile_readAll(name, &file) != 0 || file.size() < PCX_HEADER_SIZE + PCX_PALETTE_SIZE)
        return 0;
    const uint8_t* palette = file.data() + file.size() - PCX_PALETTE_SIZE;
    for (int i = 0; i < 256; i++)
        basePalette[i] = toPixel(palette + i * 3);
    return 1;
}

// An 8-bit picture with its palette, rows of bytes-per-line bytes. It goes to
// the top left corner; a larger picture is cut, a smaller one leaves the rest
// black.
int sandEffect_T::loadBackground(const char* name)
{
    std::vector<uint8_t> file;
    if (gfile_readAll(name, &file) != 0 || file.size() < PCX_HEADER_SIZE + PCX_PALETTE_SIZE)
        return 0;
    pcxHeader_T header;
    pcx_parseHeader(file.data(), &header);
    if (header.manufacturer != 10 || header.bitsPerPixel != 8 || header.planes != 1)
        return 0;
    uint64_t decoded = (uint64_t)header.height * header.lineBytes;
    if (decoded > pcx_rleMaxOutput(file.size() - PCX_HEADER_SIZE))
        return 0;
    std::vector<uint8_t> indices((size_t)decoded);
    if (pcx_decodeImage(file.data(), file.size(), header, indices.data()) != PCX_OK)
        return 0;
    uint16_t colours[256];
    const uint8_t* palette = file.data() + file.size() - PCX_PALETTE_SIZE;
    for (int i = 0; i < 256; i++)
        colours[i] = toPixel(palette + i * 3);
    const int w = header.width, h = header.height;
    for (int y = 0; y < SAND_H; y++)
        for (int x = 0; x < SAND_W; x++)
            background[y * SAND_W + x] = (x < w && y < h) ? colours[indices[(size_t)y * w + x]] : 0;
    return 1;
}
