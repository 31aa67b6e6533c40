#pragma once
// What the fuzz targets share: a scratch folder of this process for the files
// that readers take by name (removed at exit), copies of generated data files
// in it, and the headless display for the effects that draw while they load.
#include <cstddef>
#include <cstdint>
#include <string>

// /tmp/varnek_fuzz_<pid>_XXXXXX, created on first use.
const std::string& fuzz_scratchDir();
// Makes the scratch folder the working directory, for readers whose file
// names are fixed and relative ("arenadat\\arena.scr").
void fuzz_enterScratchDir();
// Writes bytes to name (relative to the scratch folder, '/' separated,
// folders created); returns the full path. Aborts when it cannot.
std::string fuzz_writeFile(const char* name, const uint8_t* data, size_t size);
// Links the generated data file name into the scratch folder under the same
// relative name. False when the data file is missing.
bool fuzz_linkData(const char* name);
// The headless display and message queue, as the engine thread has them.
void fuzz_openDisplay();
// Loads a module file written from the bytes and plays half a second of
// whatever loads; the last byte picks the mixer's numeric path.
void fuzz_playModule(const char* name, const uint8_t* data, size_t size);
