#include "formats/font.h"

#include <new>

#include "formats/ini_file.h"
#include "formats/pcx.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"
#include "platform/gpl_trace.h"

gfont_T::~gfont_T()
{
    release();
}

void gfont_T::release()
{
    if (picture) {
        picture->release();
        delete picture;
        picture = nullptr;
    }
    delete[] glyphs;
    glyphs = nullptr;
}

void gfont_layoutCells(gfontCell_T* cells, int32_t sheetWidth, int32_t matrixWidth,
                       int32_t matrixHeight, const char* order)
{
    for (int c = 0; c < 256; c++)
        cells[c] = gfontCell_T{0, 0, matrixWidth};
    if (matrixWidth <= 0 || !order)
        return;
    int32_t perRow = sheetWidth / matrixWidth;
    int32_t column = 0;
    int32_t y = 0;
    for (const char* p = order; *p; p++) {
        gfontCell_T& cell = cells[(unsigned char)*p];
        cell.x = column * matrixWidth;
        cell.y = y;
        if (++column >= perRow) {
            column = 0;
            y += matrixHeight;
        }
    }
}

// The sheet loader's result codes 1, 2, 4 and 8 are the font's bits of the
// same value; anything else is a failure of the sheet's buffer.
static uint32_t sheetErrorBit(int pcxResult)
{
    switch (pcxResult) {
    case PCX_ERR_NOMEM: case PCX_ERR_OPEN: case PCX_ERR_READ: case PCX_ERR_VERSION:
        return (uint32_t)pcxResult;
    }
    return GFONT_ERR_FILE;
}

void gfont_T::init(const char* fileName)
{
    gpl_trace("gfont_T::init\n");
    gpl_traceIn();
    release();
    initialized = 0;
    picture = new (std::nothrow) gbuffer_T;
    glyphs = new (std::nothrow) gfontCell_T[256];
    if (!picture || !glyphs) {
        gpl_traceOut();
        errorFlags |= GFONT_ERR_NOMEM;
        return;
    }
    for (int c = 0; c < 256; c++)
        glyphs[c] = gfontCell_T{0, 0, 0};

    iniFile_T description;
    description.init(fileName);
    if (description.errorFlags != 0) {
        errorFlags |= (description.errorFlags & INI_ERR_NOMEM) ? GFONT_ERR_NOMEM : GFONT_ERR_FILE;
        gpl_traceOut();
        return;
    }
    const char* sheetName = description.getString("fontPic");
    if (!sheetName) {
        errorFlags |= GFONT_ERR_LAYOUT;
        gpl_traceOut();
        return;
    }
    int result = gpl_loadPcx(sheetName, picture);
    if (result != PCX_OK) {
        errorFlags |= sheetErrorBit(result);
        gpl_traceOut();
        return;
    }

    space = gpl_truncInt32(description.getNum("fontSpace"));
    dumpID = gpl_truncInt32(description.getNum("fontDumpID"));
    const char* order = description.getString("fontOrder");
    matrixHeight = gpl_truncInt32(description.getNum("fontMatrixHeight"));
    matrixWidth = gpl_truncInt32(description.getNum("fontMatrixWidth"));
    // A cell that is empty or does not fit the sheet cannot be cut from it:
    // such a font stays unloaded and draws nothing.
    if (matrixWidth <= 0 || matrixWidth > picture->width || matrixHeight <= 0 ||
        matrixHeight > picture->height) {
        errorFlags |= GFONT_ERR_LAYOUT;
        gpl_traceOut();
        return;
    }
    gfont_layoutCells(glyphs, picture->width, matrixWidth, matrixHeight, order);
    description.release();
    initialized = 1;
    gpl_traceOut();
}

int32_t gfont_T::drawText(int32_t x, int32_t y, int clipMode, gbuffer_T* dst, const char* text)
{
    if (!initialized || !glyphs || !picture || !text)
        return x;
    for (const char* p = text; *p; p++) {
        const gfontCell_T& cell = glyphs[(unsigned char)*p];
        gpl_blit(clipMode, dumpID, cell.width, matrixHeight, dst, x, y, picture, cell.x, cell.y, dst, x, y);
        // The description may give any space: the pen stops at the ends of
        // the 32-bit range instead of wrapping.
        const int64_t next = (int64_t)x + cell.width + space;
        x = next > INT32_MAX ? INT32_MAX : next < INT32_MIN ? INT32_MIN : (int32_t)next;
    }
    return x;
}
