#pragma once
// The options the two music programs share, spelled the same in both, and
// their values checked with a reason that names the option.
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "music/mp_module.h"

struct moptOptions_T {
    std::vector<const char*> files;
    int loops = 1;                      // passes of the song; 0: for ever
    bool loopsGiven = false;
    double seconds = 0;                 // stop after this long; 0: at the song's end
    double start = 0;                   // seconds skipped at the start
    int order = -1;                     // order position to start at (0-based), -1: the first
    int subsong = 0;                    // the song of the order list to play (1-based), 0: the first
    std::bitset<MP_MAX_CHANNELS> muted; // module channels not heard
    int separation = 100;               // percent of the panning kept
    int rate = 44100;
    int quality = -1;                   // MP_QUALITY_*; -1: not given, the program's default
    bool quiet = false, verbose = false, info = false, message = false;
    // The programs' own flags, as given: --null, --shuffle, --float, --integer.
    std::vector<const char*> own;
};

// The shared options' lines for a usage text, and the lines that end it
// (--help, --version, --).
extern const char* const moptUsage;
extern const char* const moptUsageEnd;

// Parses the command line: the shared options and the program's own flags
// (null-terminated). -1 when it is good; otherwise the exit code to end
// with, --help or --version answered or the refusal printed.
int mopt_parse(int argc, char** argv, const char* program, const char* const* ownFlags, const char* usage,
               moptOptions_T* out);
// The program's own flag was given.
bool mopt_has(const moptOptions_T& o, const char* flag);
// Where play starts in the module: the first order of --subsong N, or the
// --order position (-1: the first). Empty when it lies in the song;
// otherwise what is wrong, for the program's message.
std::string mopt_startOrder(mpModule_T* module, const moptOptions_T& o, uint32_t capSeconds, int* order);
// "m:ss", "m:ss.cc" or seconds ("90", "1.5") to seconds; -1 when it is none.
double mopt_time(const char* text);
