#pragma once
// The interpolators of the high-quality mode. Each reads a window of sample
// values already laid out as floats (the loops unrolled into it, so no
// interpolator ever sees a loop or the sample's end) and computes the values
// at positions x, x + step, ... in 16.16 fixed point relative to the
// window's first frame.
#include <cstdint>

using dsmInterp_T = void (*)(const float* window, int64_t x, int64_t step, uint32_t n, float* dst);

// The interpolator for a quality (DSM_QUALITY_LINEAR and up) and step,
// chosen once per voice and stretch: windowed sinc with its kernel widened
// when the step is above one frame.
dsmInterp_T dsm_interpolator(int quality, int64_t step);
// Frames the interpolator reads on either side of a position.
int dsm_interpMargin(int quality, int64_t step);
// Which vector instructions the sinc interpolator uses: "avx2", "sse2" or "none".
const char* dsm_interpVector();
