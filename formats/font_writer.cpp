#include "formats/font_writer.h"

#include <cstdio>

std::string gfont_writeDescription(const gfontDescription_T& d, const char* comment)
{
    char numbers[160];
    std::snprintf(numbers, sizeof numbers,
                  "fontSpace = %d\r\nfontDumpID = %d\r\nfontMatrixHeight = %d\r\nfontMatrixWidth = %d\r\n",
                  (int)d.space, (int)d.dumpID, (int)d.matrixHeight, (int)d.matrixWidth);
    std::string text = "# ";
    text += comment ? comment : "";
    text += "\r\nfontPic = \"";
    text += d.sheetName;
    text += "\"\r\nfontOrder = \"";
    text += d.order;
    text += "\"\r\n";
    text += numbers;
    return text;
}
