// 8-bit mu-law (the telephone companding of G.711): 16-bit values kept as
// a sign, a 3-bit exponent and a 4-bit mantissa, so small values keep their
// detail and large ones their size. The mixer stores 16-bit samples this way
// at half the size when asked to; decoding is exact for the 256 codes.
#include "music/mixer/dsm.h"

enum { MULAW_BIAS = 0x84, MULAW_CLIP = 32635 };

uint8_t dsm_muLawEncode(int16_t value)
{
    int v = value;
    int sign = v < 0 ? 0x80 : 0;
    if (v < 0)
        v = -v;
    if (v > MULAW_CLIP)
        v = MULAW_CLIP;
    v += MULAW_BIAS;
    int exponent = 7;
    for (int mask = 0x4000; exponent > 0 && !(v & mask); mask >>= 1)
        exponent--;
    int mantissa = (v >> (exponent + 3)) & 0x0F;
    return (uint8_t)~(sign | exponent << 4 | mantissa);
}

int16_t dsm_muLawDecode(uint8_t code)
{
    int u = (uint8_t)~code;
    int exponent = (u >> 4) & 7, mantissa = u & 0x0F;
    int magnitude = ((mantissa << 3) + MULAW_BIAS) << exponent;
    int v = magnitude - MULAW_BIAS;
    return (int16_t)((u & 0x80) ? -v : v);
}
