#pragma once
// The status of the playing file as text: the line a terminal shows in
// place, and the plain line written when stdout is not a terminal.
#include <bitset>
#include <string>

#include "music/mp_control.h"

struct playView_T {
    const char* file;
    int index, count;           // 1-based place in the file list
    int songLength;             // orders
    int subsong, subsongs;      // 1-based song of the file's order list, and how many
    double played, total;       // seconds
    int volume;                 // 0..64
    int paused;
    std::bitset<MP_MAX_CHANNELS> muted;
};

// "[1/2] song.mod  ord 3/12 pat 5 row 16  0:12/1:40  spd 6 bpm 125  vol 64  [#+x. ]"
// ("song 2/4 ord 3/12 ..." in a file of several songs),
// fitted to `columns`: the file is named without its folder, and keeps at
// least 24 characters of its name (its end, where names differ) by
// dropping first the speed and tempo, then the volume, then the channels'
// levels (a muted channel shows as x).
std::string play_statusLine(const playView_T& v, const mpStatus_T& s, int columns);
// "ord 3/12 pat 5 row 16 0:12/1:40 spd 6 bpm 125": the plain line of a new order.
std::string play_orderLine(const playView_T& v, const mpStatus_T& s);
