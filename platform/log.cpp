#include "platform/log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/display.h"

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
