#include "music/rules/xm/xm_periods.h"

#include <cmath>

#include "music/mp_module.h"

// Amiga periods of octave 4 in eighths of a semitone, from B-3 (row 0,
// which finetune -128 of C reaches) up to B-4: row r, column k is semitone
// r - 1 at finetune 16 k - 128.
static const uint16_t amigaPeriods[104] = {
    907, 900, 894, 887, 881, 875, 868, 862, 856, 850, 844, 838, 832, 826, 820, 814,
    808, 802, 796, 791, 785, 779, 774, 768, 762, 757, 752, 746, 741, 736, 730, 725,
    720, 715, 709, 704, 699, 694, 689, 684, 678, 675, 670, 665, 660, 655, 651, 646,
    640, 636, 632, 628, 623, 619, 614, 610, 604, 601, 597, 592, 588, 584, 580, 575,
    570, 567, 563, 559, 555, 551, 547, 543, 538, 535, 532, 528, 524, 520, 516, 513,
    508, 505, 502, 498, 494, 491, 487, 484, 480, 477, 474, 470, 467, 463, 460, 457,
    453, 450, 447, 443, 440, 437, 434, 431,
};

enum { XM_C4_RATE = 8363, XM_LINEAR_C0 = 7680, XM_LINEAR_C4 = 4608, XM_LINEAR_OCTAVE = 768 };

int gmp_xmPeriod(int linear, int note, int finetune)
{
    // A relative note or an arpeggio can reach past the notes there are.
    note = note < 0 ? 0 : note >= MP_NOTES ? MP_NOTES - 1 : note;
    if (linear)
        return XM_LINEAR_C0 - note * 64 - finetune / 2;
    // Between two table entries the fraction of the finetune step is
    // interpolated; the table is for octave 4 at twice the period.
    int f = finetune + 128;
    int index = (note % 12) * 8 + f / 16;
    int frac = f % 16;
    int a = amigaPeriods[index], b = amigaPeriods[index + 1 < 104 ? index + 1 : 103];
    int period = a * 16 + (b - a) * frac;
    return (period * 2) >> (note / 12);
}

uint32_t gmp_xmRate(int linear, int period)
{
    if (period <= 0)
        return 0;
    if (linear)
        return (uint32_t)(XM_C4_RATE * std::exp2((double)(XM_LINEAR_C4 - period) / XM_LINEAR_OCTAVE));
    return (uint32_t)((uint64_t)XM_C4_RATE * 1712 / (uint32_t)period);
}
