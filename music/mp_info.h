#pragma once
// The song information both music programs print: what the file says of
// itself and what the song walk measured.
#include <cstdio>
#include <string>

#include "music/mp_module.h"
#include "music/mp_walk.h"

// "MOD", "S3M", "XM", "IT" or "?".
const char* mp_formatName(const mpModule_T* module);
// m:ss.cc (hundredths 1) or m:ss (0); hours are counted in minutes.
std::string mp_timeText(double seconds, int hundredths);
// Title, format, tracker, counts, initial speed and tempo, the duration and
// the instrument names (many modules keep the author's message there).
void mp_printInfo(FILE* out, const char* fileName, const mpModule_T* module, const mpwSong_T& song);
// The song's message as trackers keep it: the title in quotes, then the
// instrument names one a line, numbered.
void mp_printMessage(FILE* out, const mpModule_T* module);
