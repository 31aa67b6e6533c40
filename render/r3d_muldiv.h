#pragma once
// Scaled division with the semantics the span steps were tuned with (the
// Win32 MulDiv): a x b / c formed in 64 bits and rounded to the nearest
// integer, halves away from zero; -1 when c is 0 or the result does not fit
// in 32 bits.
#include <cstdint>

inline int32_t r3d_mulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    int64_t p = (int64_t)a * b;
    int64_t d = c;
    if (d < 0) {
        p = -p;
        d = -d;
    }
    int64_t q = p >= 0 ? (p + d / 2) / d : (p - d / 2) / d;
    if (q > INT32_MAX || q < -INT32_MAX)
        return -1;
    return (int32_t)q;
}
