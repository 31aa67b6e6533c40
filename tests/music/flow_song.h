#pragma once
// Songs that exercise the song's flow (pattern loops, breaks, jumps, row
// delays), written in any of the S3M, XM and IT formats under a chosen
// tracker's version, for the flow tests and for comparing with outside
// players. Channel 0 plays a note on every row, its pitch telling the row
// apart; the flow commands sit in channels 1 to 3.
#include <cstdint>
#include <string>
#include <vector>

enum flowFormat_E { FLOW_S3M, FLOW_XM, FLOW_IT, FLOW_MOD };
enum flowWhat_E { FLOW_LOOP, FLOW_BREAK, FLOW_JUMP, FLOW_ROW_DELAY, FLOW_SPEED };

struct flowCmd_T {
    int pattern, row, channel;
    flowWhat_E what;
    int value;                  // loop count (0 the start), row, order, rows, ticks
};

struct flowSong_T {
    std::vector<int> orders = {0};
    int patterns = 1;
    int rows = 16;              // XM and IT (S3M and MOD patterns have 64)
    int speed = 4;
    std::vector<flowCmd_T> cmds;
};

// The tracker the file says wrote it: S3M and IT version words, the XM
// tracker name.
struct flowTracker_T {
    uint16_t s3mVersion = 0x1320;
    uint16_t itCreated = 0x0214, itCompatible = 0x0214;
    std::string xmName = "FastTracker v2.00";
    char xmTitlePad = ' ';      // FastTracker 2 pads names with spaces
};

std::vector<uint8_t> flow_write(const flowSong_T& song, flowFormat_E format, const flowTracker_T& tracker);
// The note channel 0 plays on a row: apart for the first 48 rows of a
// pattern and between patterns, semitones above the format's C-4 (S3M, XM)
// or C-5 (IT), which all play the sample at 8363 Hz; a MOD plays it modulo
// 36 from octave 1 of its period table.
int flow_noteOf(int pattern, int row);
