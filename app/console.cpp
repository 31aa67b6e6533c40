#include "app/console.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/console_font.h"
#include "app/engine.h"
#include "platform/display.h"
#include "render/r3d_hw.h"

uint8_t consoleOn = 0;
int32_t conLineCount = 0;
int32_t conFirst = 0;
int32_t conNext = 0;
uint8_t conWrapped = 0;
char conLines[100][100];

static void (*conEcho)(const char*) = nullptr;

void con_setEcho(void (*echo)(const char*)) { conEcho = echo; }

void con_init()
{
    for (int i = 0; i < conLineCount; i++)
        conLines[i][0] = 0;
    conLineCount = screenHeight / 8;
    if (conLineCount > 100)
        conLineCount = 100;
    conFirst = 0;
    conNext = 0;
    conWrapped = 0;
}

int con_log(const char* format, ...)
{
    // Before con_init the ring has no lines; such a call is dropped.
    if (conLineCount <= 0)
        return 0;
    va_list args;
    va_start(args, format);
    std::vsnprintf(conLines[conNext], sizeof(conLines[0]), format, args);
    va_end(args);
    if (conEcho)
        conEcho(conLines[conNext]);
    conNext++;
    if (conWrapped)
        conFirst = (conFirst + 1) % conLineCount;
    if (conNext == conLineCount) {
        conNext = 0;
        conWrapped = 1;
    }
    return 0;
}

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
