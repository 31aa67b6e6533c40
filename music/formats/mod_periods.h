#pragma once
// The MOD period table at finetune 0, octaves 0 to 5 (Amiga periods: the
// Paula clock 3546895 Hz divided by the period is the sample rate). The
// reader turns periods into notes with it and the writer notes into periods.
#include <cstdint>

enum { MOD_PERIOD_COUNT = 72 };
extern const uint16_t modPeriods[MOD_PERIOD_COUNT];
