#include "formats/png_write.h"

#include <cstdio>
#include <vector>

namespace {
uint32_t crcTable[256];

void makeCrcTable()
{
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crcTable[n] = c;
    }
}

uint32_t crc(const uint8_t* p, size_t n)
{
    if (!crcTable[1])
        makeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    while (n--)
        c = crcTable[(c ^ *p++) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back((uint8_t)(v >> 24));
    out.push_back((uint8_t)(v >> 16));
    out.push_back((uint8_t)(v >> 8));
    out.push_back((uint8_t)v);
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    put32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc(&out[start], out.size() - start));
}
}

int png_writeRgb(const char* path, const uint8_t* rgb, int width, int height)
{
    if (width <= 0 || height <= 0)
        return -1;
    // Raw scanlines, each with filter byte 0.
    std::vector<uint8_t> raw;
    raw.reserve((size_t)(width * 3 + 1) * height);
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + (size_t)y * width * 3, rgb + (size_t)(y + 1) * width * 3);
    }
    // zlib stream of stored blocks (at most 65535 bytes each) and Adler-32.
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t pos = 0; pos < raw.size() || raw.empty();) {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back((uint8_t)n);
        z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)~n);
        z.push_back((uint8_t)(~n >> 8));
        z.insert(z.end(), raw.begin() + (long)pos, raw.begin() + (long)(pos + n));
        pos += n;
        if (raw.empty())
            break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, (uint32_t)width);
    put32(ihdr, (uint32_t)height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});   // 8 bits, RGB, deflate, no filter, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return -1;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = std::fclose(f) == 0 && ok;
    return ok ? 0 : -1;
}

int png_write16(const char* path, const uint16_t* pixels, int pitch, int width, int height, int format555)
{
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    const int greenBits = format555 ? 5 : 6;
    const int redShift = format555 ? 10 : 11;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint32_t p = pixels[(size_t)y * pitch + x];
            uint32_t r = (p >> redShift) & 31, g = (p >> 5) & ((1u << greenBits) - 1), b = p & 31;
            uint8_t* o = &rgb[((size_t)y * width + x) * 3];
            o[0] = (uint8_t)((r << 3) | (r >> 2));
            o[1] = (uint8_t)(greenBits == 6 ? (g << 2) | (g >> 4) : (g << 3) | (g >> 2));
            o[2] = (uint8_t)((b << 3) | (b >> 2));
        }
    }
    return png_writeRgb(path, rgb.data(), width, height);
}
