// The font description reader on any bytes. The glyph sheets it may name are
// in the working folder: the demo's two (from the generated data) and a small
// one, "s.pcx". Every character is then drawn with each clip mode, partly off
// the destination.
#include <vector>

#include "formats/font.h"
#include "formats/pcx_writer.h"
#include "fuzz/fuzz_util.h"
#include "gfx2d/blit.h"
#include "gfx2d/gbuffer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_enterScratchDir();
    fuzz_linkData("asdf.pcx");
    fuzz_linkData("asdfasdf.pcx");
    // A 32 x 16 sheet of four 8 x 8 cells per row, index = cell number + 1.
    std::vector<uint8_t> indices(32 * 16);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 32; x++)
            indices[y * 32 + x] = (uint8_t)((y / 8) * 4 + x / 8 + 1);
    uint8_t palette[768];
    for (int i = 0; i < 768; i++)
        palette[i] = (uint8_t)(i * 7);
    std::vector<uint8_t> sheet = pcx_encode8(indices.data(), 32, 16, palette);
    fuzz_writeFile("s.pcx", sheet.data(), sheet.size());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_writeFile("input.jdt", data, size);
    gfont_T font;
    font.init(path.c_str());
    static char text[256];
    for (int i = 1; i < 256; i++)
        text[i - 1] = (char)i;
    gbuffer_T screen;
    screen.init(48, 24);
    gpl_setClip(-4, 40, 2, 30);
    for (int clip : {GPL_CLIP_NONE, GPL_CLIP_DEST, GPL_CLIP_RECT}) {
        font.drawText(-5, -3, clip, &screen, text);
        font.drawText(20, 10, clip, &screen, text);
    }
    font.release();
    return 0;
}
