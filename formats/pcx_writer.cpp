#include "formats/pcx_writer.h"

#include "formats/pcx.h"

static void pcx_put16(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    out[at] = (uint8_t)value;
    out[at + 1] = (uint8_t)(value >> 8);
}

static uint32_t pcx_evenLine(int width)
{
    return ((uint32_t)width + 1) & ~1u;
}

static std::vector<uint8_t> pcx_header(int width, int height, int planes)
{
    std::vector<uint8_t> out(PCX_HEADER_SIZE, 0);
    out[0] = 10;                    // ZSoft
    out[1] = 5;                     // version 5: 256-colour palette possible
    out[2] = 1;                     // run-length encoded
    out[3] = 8;                     // bits per pixel per plane
    pcx_put16(out, 8, (uint32_t)width - 1);
    pcx_put16(out, 10, (uint32_t)height - 1);
    pcx_put16(out, 12, 72);
    pcx_put16(out, 14, 72);
    out[65] = (uint8_t)planes;
    pcx_put16(out, 66, pcx_evenLine(width));
    pcx_put16(out, 68, 1);          // colour palette
    return out;
}

// One plane line: runs of up to 63 equal bytes; a single byte below 0xC0
// goes as itself, anything else as a counted run.
static void pcx_encodeLine(std::vector<uint8_t>& out, const uint8_t* line, uint32_t length)
{
    uint32_t i = 0;
    while (i < length) {
        uint8_t value = line[i];
        uint32_t run = 1;
        while (i + run < length && run < 63 && line[i + run] == value)
            run++;
        if (run > 1 || value >= 0xC0)
            out.push_back((uint8_t)(0xC0 | run));
        out.push_back(value);
        i += run;
    }
}

std::vector<uint8_t> pcx_encode8(const uint8_t* indices, int width, int height, const uint8_t* palette)
{
    std::vector<uint8_t> out = pcx_header(width, height, 1);
    std::vector<uint8_t> line(pcx_evenLine(width), 0);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++)
            line[x] = indices[(size_t)y * width + x];
        pcx_encodeLine(out, line.data(), (uint32_t)line.size());
    }
    out.push_back(0x0C);            // palette marker
    out.insert(out.end(), palette, palette + PCX_PALETTE_SIZE);
    return out;
}

std::vector<uint8_t> pcx_encode24(const uint32_t* pixels, int width, int height)
{
    std::vector<uint8_t> out = pcx_header(width, height, 3);
    std::vector<uint8_t> line(pcx_evenLine(width), 0);
    for (int y = 0; y < height; y++)
        for (int shift = 16; shift >= 0; shift -= 8) {
            for (int x = 0; x < width; x++)
                line[x] = (uint8_t)(pixels[(size_t)y * width + x] >> shift);
            pcx_encodeLine(out, line.data(), (uint32_t)line.size());
        }
    return out;
}
