#include "platform/sharp_scale.h"

#include <algorithm>

pfSharpScale_T pf_sharpScale(int outW, int outH)
{
    constexpr int srcW = 320, srcH = 240;
    pfSharpScale_T s;
    outW = std::max(outW, 1);
    outH = std::max(outH, 1);
    s.factor = std::max(1, std::min(outW / srcW, outH / srcH));
    s.innerW = srcW * s.factor;
    s.innerH = srcH * s.factor;
    // Whichever side fills the output sets the size; the other keeps 4:3
    // (in integers, so 1024 x 768 is filled exactly).
    if ((long long)outW * srcH <= (long long)outH * srcW) {
        s.w = outW;
        s.h = std::max(1, (int)((long long)outW * srcH / srcW));
    } else {
        s.h = outH;
        s.w = std::max(1, (int)((long long)outH * srcW / srcH));
    }
    s.x = (outW - s.w) / 2;
    s.y = (outH - s.h) / 2;
    return s;
}

int pf_windowFactor(int desktopW, int desktopH)
{
    return std::max(1, std::min(desktopW * 2 / 3 / 320, desktopH * 2 / 3 / 240));
}
