#pragma once
// A fresh scratch folder that becomes the current directory for one test
// (the screens and fonts open their files by relative name), and small
// writers of the files they read.
#include <cstdint>
#include <string>
#include <vector>

struct gbuffer_T;

class screenScratch_T {
public:
    screenScratch_T();
    ~screenScratch_T();
    screenScratch_T(const screenScratch_T&) = delete;
    screenScratch_T& operator=(const screenScratch_T&) = delete;

    // Writes a file under the scratch folder; backslashes name subfolders.
    void write(const char* name, const std::string& bytes);
    void write(const char* name, const std::vector<uint8_t>& bytes);
    // A 24-bit PCX picture of the given pixels (0x00RRGGBB, rows top first).
    void writePcx(const char* name, const std::vector<uint32_t>& pixels, int width, int height);

private:
    std::string dir_;
    std::string oldDir_;
};

// Sum of all colour bytes of a buffer, a rough brightness measure.
uint64_t screenTest_brightness(const gbuffer_T& b);

// A plain test font named fileName: 8 x 8 cells, every glyph a solid block of
// colour drawn with blit mode dumpID, the space (and anything not in the
// order) empty.
void screenTest_writeBlockFont(screenScratch_T& dir, const char* fileName, uint32_t colour, int dumpID);
