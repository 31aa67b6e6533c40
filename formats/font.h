#pragma once
// Fixed-cell bitmap fonts: a PCX glyph sheet cut into equal cells, laid out
// row by row in the order a font description (".jdt" settings file) gives,
// drawn glyph by glyph with one of the blit modes.
//
// Description keys: fontPic (quoted sheet file name), fontSpace (extra
// pixels after each glyph), fontDumpID (blit mode), fontOrder (quoted, the
// sheet's characters in reading order), fontMatrixHeight, fontMatrixWidth.
#include <cstdint>

struct gbuffer_T;

enum {
    GFONT_ERR_NOMEM = 1,        // cells, sheet, description text or PCX buffers
    GFONT_ERR_SHEET_OPEN = 2,   // the sheet could not be opened
    GFONT_ERR_SHEET_READ = 4,   // the sheet could not be read
    GFONT_ERR_SHEET_FORMAT = 8, // the sheet is not a version-5 PCX
    GFONT_ERR_FILE = 16,        // the description could not be opened, or the sheet's buffer failed
    GFONT_ERR_LAYOUT = 32,      // no fontPic, or a cell size of 0 or larger than the sheet
};

struct gfontCell_T {
    int32_t x, y, width;
};

struct gfont_T {
    uint32_t errorFlags = 0;
    uint32_t initialized = 0;   // 1 once a load has fully succeeded
    gbuffer_T* picture = nullptr;
    gfontCell_T* glyphs = nullptr;  // 256 cells, indexed by the unsigned character code
    int32_t matrixHeight = 0;
    int32_t matrixWidth = 0;
    int32_t space = 0;
    int32_t dumpID = 0;

    gfont_T() = default;
    ~gfont_T();
    gfont_T(const gfont_T&) = delete;
    gfont_T& operator=(const gfont_T&) = delete;

    void init(const char* fileName);
    // Draws text with its top-left corner at (x, y) and returns the x after
    // its last glyph. A font that failed to load draws nothing and returns x.
    int32_t drawText(int32_t x, int32_t y, int clipMode, gbuffer_T* dst, const char* text);
    void release();
};

// Lays out the cells: every one of the 256 cells gets matrixWidth as width
// and the sheet's first cell, then the characters of order take the cells in
// reading order, sheetWidth / matrixWidth per row (a repeated character keeps
// its last cell).
void gfont_layoutCells(gfontCell_T* cells, int32_t sheetWidth, int32_t matrixWidth,
                       int32_t matrixHeight, const char* order);
