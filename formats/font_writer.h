#pragma once
// Writes font descriptions (".jdt" settings files, CR LF lines) that
// gfont_T::init reads back.
#include <cstdint>
#include <string>

struct gfontDescription_T {
    const char* sheetName;      // fontPic, the PCX glyph sheet
    int32_t space;              // fontSpace
    int32_t dumpID;             // fontDumpID, the blit mode
    const char* order;          // fontOrder; must not hold a double quote or a line end
    int32_t matrixHeight;       // fontMatrixHeight
    int32_t matrixWidth;        // fontMatrixWidth
};

// The text of the description, with a comment line naming the font.
std::string gfont_writeDescription(const gfontDescription_T& d, const char* comment);
