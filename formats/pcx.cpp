#include "formats/pcx.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "gfx2d/gbuffer.h"
#include "platform/gfile.h"
#include "platform/gpl_trace.h"

static uint16_t pcx_u16(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

void pcx_parseHeader(const uint8_t* bytes, pcxHeader_T* header)
{
    header->manufacturer = bytes[0];
    header->version = bytes[1];
    header->bitsPerPixel = bytes[3];
    header->planes = bytes[65];
    header->width = (uint16_t)(pcx_u16(bytes + 8) - pcx_u16(bytes + 4) + 1);
    header->height = (uint16_t)(pcx_u16(bytes + 10) - pcx_u16(bytes + 6) + 1);
    header->bytesPerLine = pcx_u16(bytes + 66);
    // Writers pad lines to an even length and say so in bytes-per-line; a
    // field smaller than the picture (or 0) is taken as unpadded.
    uint32_t bits = header->bitsPerPixel ? header->bitsPerPixel : 1;
    uint32_t minimum = ((uint32_t)header->width * bits + 7) / 8;
    header->lineBytes = header->bytesPerLine > minimum ? header->bytesPerLine : minimum;
}

int64_t pcx_rleDecode(const uint8_t* src, size_t size, size_t* pos, uint8_t* dst, size_t want)
{
    size_t p = *pos;
    uint64_t produced = 0;
    while (produced < want) {
        if (p >= size) {
            *pos = p;
            return -1;
        }
        uint8_t value = src[p++];
        uint32_t count = 1;
        if (value >= 0xC0) {
            if (p >= size) {
                *pos = p;
                return -1;
            }
            count = value & 0x3F;
            value = src[p++];
        }
        for (uint32_t i = 0; i < count; i++, produced++)
            if (produced < want)
                dst[produced] = value;
    }
    *pos = p;
    return (int64_t)produced;
}

uint64_t pcx_rleMaxOutput(size_t size)
{
    return (uint64_t)(size / 2) * 63 + (size % 2);
}

// Decoded bytes of the whole image, padding included.
static uint64_t pcx_decodedSize(const pcxHeader_T& header)
{
    uint32_t planes = header.planes ? header.planes : 1;
    return (uint64_t)header.height * planes * header.lineBytes;
}

int pcx_decodeImage(const uint8_t* file, size_t size, const pcxHeader_T& header, uint8_t* out,
                    uint64_t* produced)
{
    uint64_t total = pcx_decodedSize(header);
    if (size < PCX_HEADER_SIZE)
        return PCX_ERR_READ;
    size_t pos = PCX_HEADER_SIZE;
    int64_t made = pcx_rleDecode(file, size, &pos, out, (size_t)total);
    if (made < 0)
        return PCX_ERR_READ;
    if (produced)
        *produced = (uint64_t)made;
    // Drop the padding of every plane line, in place: the write position
    // never passes the read position.
    uint32_t width = header.width;
    uint32_t lineBytes = header.lineBytes;
    if (lineBytes != width) {
        uint64_t lines = total / (lineBytes ? lineBytes : 1);
        for (uint64_t line = 0; line < lines; line++)
            for (uint32_t x = 0; x < width; x++)
                out[line * width + x] = out[line * lineBytes + x];
    }
    return PCX_OK;
}

static int pcx_fail(int code)
{
    gpl_traceOut();
    return code;
}

int gpl_loadPcx(const char* fileName, gbuffer_T* destination)
{
    gpl_trace("%s\n", "gpl_loadPcx()");
    gpl_traceIn();
    gpl_trace("Gonna open the file \"%s\"...\n", fileName ? fileName : "");
    std::vector<uint8_t> file;
    uint32_t fileError = gfile_readAll(fileName, &file);
    if (fileError & GFILE_ERR_OPEN)
        return pcx_fail(PCX_ERR_OPEN);
    gpl_trace("Gonna read the head\n");
    if (fileError || file.size() < PCX_HEADER_SIZE)
        return pcx_fail(PCX_ERR_READ);
    pcxHeader_T header;
    pcx_parseHeader(file.data(), &header);
    if (header.version != 5)
        return pcx_fail(PCX_ERR_VERSION);
    if (!destination)
        return pcx_fail(PCX_ERR_BUFFER);

    uint32_t layout = (uint32_t)header.bitsPerPixel * header.planes;
    int isRgb = header.bitsPerPixel == 8 && header.planes == 3;
    int isIndexed = header.bitsPerPixel == 8 && header.planes == 1;
    if ((layout == 24 && !isRgb) || (layout == 8 && !isIndexed))
        return pcx_fail(PCX_ERR_LAYOUT);
    // A header may claim more than the file can decode to; refuse it before
    // anything of that size is allocated.
    uint64_t decoded = pcx_decodedSize(header);
    if (decoded > pcx_rleMaxOutput(file.size() - PCX_HEADER_SIZE))
        return pcx_fail(PCX_ERR_READ);
    if (isIndexed && file.size() < PCX_HEADER_SIZE + PCX_PALETTE_SIZE)
        return pcx_fail(PCX_ERR_READ);

    uint32_t width = header.width, height = header.height;
    gpl_trace("Gonna init the destination graphic buffer with dimensions (%d,%d)\n", (int)width, (int)height);
    destination->init(width, height);
    if (destination->errorFlags & GBUF_ERR_NOMEM)
        return pcx_fail(PCX_ERR_NOMEM);
    if (destination->errorFlags)
        return pcx_fail(PCX_ERR_BUFFER);

    if (isRgb || isIndexed) {
        if (isRgb) {
            gpl_trace("It's a 24 bit picture\n");
            gpl_trace("Gonna allocate memory to store decomp buffer...\n");
        } else {
            gpl_trace("It's a 8 bit picture\n");
        }
        uint8_t* planes = new (std::nothrow) uint8_t[decoded ? (size_t)decoded : 1];
        if (!planes)
            return pcx_fail(PCX_ERR_NOMEM);
        if (isRgb)
            gpl_trace("Gonna begin the for loop...\n");
        uint64_t produced = 0;
        if (pcx_decodeImage(file.data(), file.size(), header, planes, &produced) != PCX_OK) {
            delete[] planes;
            return pcx_fail(PCX_ERR_READ);
        }
        // A last run that went past the planes is worth a line in the trace.
        if (isRgb && produced > decoded)
            gpl_trace("************ size was = %d\nj = %d\n", (int)decoded, (int)produced);
        uint32_t* pixels = destination->pixels;
        if (isRgb) {
            gpl_trace("Gonna begin the other nested loops...\n");
            for (uint32_t y = 0; y < height; y++) {
                const uint8_t* row = planes + (size_t)y * width * 3;
                for (uint32_t x = 0; x < width; x++)
                    pixels[(size_t)y * width + x] = ((uint32_t)row[x] << 16) | ((uint32_t)row[width + x] << 8) |
                                                    row[2 * width + x];
            }
            gpl_trace("Gonna deallocate the decomp buffer...\n");
        } else {
            const uint8_t* palette = file.data() + file.size() - PCX_PALETTE_SIZE;
            for (size_t i = 0; i < (size_t)width * height; i++) {
                const uint8_t* rgb = palette + planes[i] * 3;
                pixels[i] = ((uint32_t)rgb[0] << 16) | ((uint32_t)rgb[1] << 8) | rgb[2];
            }
        }
        delete[] planes;
    }
    gpl_trace("Gonna close the file...\n");
    gpl_traceOut();
    return PCX_OK;
}
