// The windowed-sinc kernel and the ramp shape of the high-quality mode.
//
// The kernel is a sinc with its cutoff at 0.95 of the Nyquist frequency
// under a Kaiser window (beta 9) 32 frames wide: flat to 0.42 dB lost at
// 0.85 of Nyquist, 6 dB down at 0.95, and more than 90 dB down from 1.3 on,
// which keeps the images of a resampled tone under the 16-bit floor.
#include "music/mixer/dsm_kernel.h"

#include <cmath>

#include "music/mixer/dsm.h"

alignas(32) float dsmSincRows[DSM_SINC_PHASES + 1][DSM_SINC_TAPS];
float dsmSincCurve[DSM_SINC_TAPS * DSM_SINC_PHASES + 1];
int dsmRampFrames;
float dsmRampShape[DSM_RAMP_MAX];

static const double kPi = 3.14159265358979323846;
static const double kCutoff = 0.95;
static const double kBeta = 9.0;

// The modified Bessel function of the first kind, order 0, by its series.
static double besselI0(double x)
{
    double sum = 1.0, term = 1.0, q = x * x / 4.0;
    for (int k = 1; k < 64 && term > sum * 1e-17; k++) {
        term *= q / ((double)k * k);
        sum += term;
    }
    return sum;
}

// h(x) for |x| <= 16 frames.
static double kernel(double x)
{
    double r = x / DSM_SINC_HALF;
    if (r <= -1.0 || r >= 1.0)
        return 0.0;
    double window = besselI0(kBeta * std::sqrt(1.0 - r * r)) / besselI0(kBeta);
    double a = kPi * kCutoff * x;
    double sinc = x == 0.0 ? 1.0 : std::sin(a) / a;
    return kCutoff * sinc * window;
}

// Weights of the frames at offsets d from the position, divided by their
// sum so a constant comes out exactly. (Making each row reproduce a straight
// line exactly as well would cost the stopband: the rows would no longer lie
// on one smooth kernel. Uncorrected, a row's centre is within 2e-4 of a
// frame of the position.)
static void buildRow(double t, float* row)
{
    double h[DSM_SINC_TAPS], sum = 0;
    for (int k = 0; k < DSM_SINC_TAPS; k++) {
        h[k] = kernel((k - (DSM_SINC_HALF - 1)) - t);
        sum += h[k];
    }
    for (int k = 0; k < DSM_SINC_TAPS; k++)
        row[k] = (float)(h[k] / sum);
}

void dsm_buildKernels()
{
    static int built;
    if (!built) {
        for (int ph = 0; ph <= DSM_SINC_PHASES; ph++)
            buildRow((double)ph / DSM_SINC_PHASES, dsmSincRows[ph]);
        for (int i = 0; i <= DSM_SINC_TAPS * DSM_SINC_PHASES; i++)
            dsmSincCurve[i] = (float)kernel((double)i / DSM_SINC_PHASES - DSM_SINC_HALF);
        built = 1;
    }
    // About 1.5 ms, whatever the rate.
    int frames = dsmRate * 3 / 2000;
    dsmRampFrames = frames < 8 ? 8 : frames > DSM_RAMP_MAX ? DSM_RAMP_MAX : frames;
    for (int k = 0; k < dsmRampFrames; k++)
        dsmRampShape[k] = (float)(0.5 - 0.5 * std::cos(kPi * (k + 1) / dsmRampFrames));
    dsmRampShape[dsmRampFrames - 1] = 1.0f;
}
