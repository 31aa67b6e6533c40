#include "music/formats/it_sample.h"

#include <cstring>

#include "music/formats/mp_bytes.h"

namespace {

// Bits are taken from the low end of each byte first.
struct itBits_T {
    const uint8_t* p;
    uint32_t bytes;
    uint32_t bitPos;
};

bool readBits(itBits_T* b, int width, uint32_t* value)
{
    if ((uint64_t)b->bitPos + width > (uint64_t)b->bytes * 8)
        return false;
    uint32_t v = 0;
    for (int k = 0; k < width; k++, b->bitPos++)
        v |= (uint32_t)(b->p[b->bitPos >> 3] >> (b->bitPos & 7) & 1) << k;
    *value = v;
    return true;
}

// One block: up to `frames` values of `bits` bits (8 or 16). The width
// starts one above the sample size; the narrowest widths change with a
// marker value followed by the new width, the middle ones with a value in
// a small band at their top, the widest with its top bit set. Every other
// value is a difference, summed once (2.14) or twice (2.15).
uint32_t decodeBlock(itBits_T* b, int bits, bool it215, void* out, uint32_t frames)
{
    const int top = bits + 1;
    const int lowBits = bits == 8 ? 3 : 4;
    int width = top;
    // The sums wrap: only their low 8 or 16 bits are the sample.
    uint32_t d1 = 0, d2 = 0;
    uint32_t n = 0;
    while (n < frames) {
        uint32_t value;
        if (!readBits(b, width, &value))
            break;
        if (width < 7) {
            if (value == 1u << (width - 1)) {
                uint32_t w;
                if (!readBits(b, lowBits, &w))
                    break;
                w++;
                width = (int)w < width ? (int)w : (int)w + 1;
                continue;
            }
        } else if (width < top) {
            uint32_t border = ((bits == 8 ? 0xFFu : 0xFFFFu) >> (top - width)) - (bits == 8 ? 4 : 8);
            if (value > border && value <= border + (bits == 8 ? 8 : 16)) {
                value -= border;
                width = (int)value < width ? (int)value : (int)value + 1;
                continue;
            }
        } else if (width == top) {
            if (value & (1u << bits)) {
                width = (int)((value + 1) & 0xFF);
                if (width < 1 || width > top)
                    break;
                continue;
            }
        } else {
            break;
        }
        int32_t v;
        if (width < top) {
            int shift = 32 - width;
            v = (int32_t)(value << shift) >> shift;
        } else {
            v = bits == 8 ? (int8_t)value : (int16_t)value;
        }
        d1 += (uint32_t)v;
        d2 += d1;
        uint32_t s = it215 ? d2 : d1;
        if (bits == 8)
            ((int8_t*)out)[n] = (int8_t)s;
        else
            ((int16_t*)out)[n] = (int16_t)s;
        n++;
    }
    return n;
}

} // namespace

uint32_t itsmp_decompress(const uint8_t* src, size_t size, void* out, uint32_t frames, bool is16, bool it215,
                          size_t* consumed)
{
    const int bits = is16 ? 16 : 8;
    const uint32_t blockFrames = is16 ? 0x4000 : 0x8000;
    size_t pos = 0;
    *consumed = 0;
    if (frames == 0)
        return 0;
    std::memset(out, 0, (size_t)frames * (bits / 8));
    uint32_t done = 0;
    while (done < frames && pos + 2 <= size) {
        uint32_t blockBytes = mp_le16(src + pos);
        pos += 2;
        if (blockBytes > size - pos)
            break;
        itBits_T b = {src + pos, blockBytes, 0};
        uint32_t want = frames - done < blockFrames ? frames - done : blockFrames;
        uint32_t got = decodeBlock(&b, bits, it215, (uint8_t*)out + (size_t)done * (bits / 8), want);
        pos += blockBytes;
        done += got;
        if (got < want)
            break;
    }
    *consumed = pos;
    return done;
}
