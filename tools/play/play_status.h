#pragma once
// The status of the playing file as text: the line a terminal shows in
// place, and the plain line written when stdout is not a terminal.
#include <string>

#include "music/mp_control.h"

struct playView_T {
    const char* file;
    int index, count;           // 1-based place in the file list
    int songLength;             // orders
    double played, total;       // seconds
    int volume;                 // 0..64
    int paused;
};

// "[1/2] song.mod  ord 3/12 pat 5 row 16  0:12/1:40  spd 6 bpm 125  vol 64  [#+=. ]",
// fitted to `columns` (the file named without its folder, shortened first).
std::string play_statusLine(const playView_T& v, const mpStatus_T& s, int columns);
// "ord 3/12 pat 5 row 16 0:12/1:40 spd 6 bpm 125": the plain line of a new order.
std::string play_orderLine(const playView_T& v, const mpStatus_T& s);
