#pragma once
// Small helpers for the player's tests: synthetic modules written with the
// MOD writer into a temporary file and loaded back.
#include <cstdint>
#include <string>
#include <vector>

#include "music/formats/mod_writer.h"
#include "music/mp_module.h"

// Writes bytes to a fresh file in the process's scratch folder; returns its path.
std::string fx_writeTemp(const std::vector<uint8_t>& bytes);
// Loads bytes through mp_loadModule; null with *code set on failure.
mpModule_T* fx_load(const std::vector<uint8_t>& bytes, int32_t* code = nullptr);

// A song of one pattern with sample 1 a looping sine of `cycle` bytes
// (amplitude 100, repeated to `repeats` cycles), volume 64.
modSong_T fx_toneSong(int cycle = 64, int repeats = 4);
// A song of one pattern with sample 1 a non-looping ramp of `length` bytes.
modSong_T fx_rampSong(int length = 4000);
