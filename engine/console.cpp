#include "engine/console.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/console_font.h"
#include "engine/engine.h"
#include "platform/display.h"
#include "render/r3d_hw.h"

uint8_t consoleOn = 0;

static void drawText(int x, int y, const char* text)
{
    if (!surfacePixels)
        return;
    for (int px = x; *text; text++, px += 6) {
        const char* found = std::strchr(conCharset, std::toupper((unsigned char)*text));
        if (!found || !*found)
            continue;
        const uint8_t* glyph = conFont[found - conCharset];
        for (int r = 0; r < 7; r++) {
            int sy = y + r;
            if (sy < 0 || sy >= screenHeight)
                continue;
            for (int c = 0; c < 5; c++) {
                int sx = px + c;
                if ((glyph[r] >> (4 - c)) & 1 && sx >= 0 && sx < screenWidth)
                    surfacePixels[sy * surfacePitch + sx] = 0xFFFF;
            }
        }
    }
}

void con_printAt(int x, int y, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    drawText(x, y, text);
}

// The accelerator back end has no frame buffer here: nothing is drawn.
void con_printAt3dfx(int, int, const char*, ...) {}

void con_render()
{
    if (consoleOn) {
        for (int i = 0; i < conLineCount; i++) {
            // A logged line is drawn as it stands, never used as a format.
            if (use3dfx)
                con_printAt3dfx(0, 8 * i, "%s", conLines[(conFirst + i) % conLineCount]);
            else
                con_printAt(0, 8 * i, "%s", conLines[(conFirst + i) % conLineCount]);
        }
    }
    if (use3dfx)
        r3d_hwCall();
}
