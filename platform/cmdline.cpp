#include "platform/cmdline.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#ifndef VARNEK_VERSION
#define VARNEK_VERSION "unknown"
#endif

int cmd_helpOrVersion(int argc, char** argv, const char* program, const char* usage)
{
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(usage, stdout);
            return CMD_OK;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("%s %s\n", program, VARNEK_VERSION);
            return CMD_OK;
        }
    }
    return -1;
}

int cmd_refuse(const char* program, const char* usage, const char* format, ...)
{
    std::fprintf(stderr, "%s: ", program);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::fputs(usage, stderr);
    return CMD_USAGE_ERROR;
}
