#pragma once
// Scratch files for the 2D library's file tests: one folder per test program.
#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to a file of that name in the scratch folder; returns its path.
std::string gfxTest_writeFile(const char* name, const std::vector<uint8_t>& bytes);
std::string gfxTest_writeText(const char* name, const std::string& text);
std::vector<uint8_t> gfxTest_readFile(const std::string& path);
