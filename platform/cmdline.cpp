#include "platform/cmdline.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef VARNEK_VERSION
#define VARNEK_VERSION "unknown"
#endif

int cmd_helpOrVersion(int argc, char** argv, const char* program, const char* usage)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--"); i++) {
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

// The listed name `a` is, or null; `a` may carry "=VALUE" when valued.
static const char* listed(const char* const* names, const char* a, bool valued)
{
    for (; *names; names++) {
        size_t n = std::strlen(*names);
        if (!std::strncmp(*names, a, n) && (a[n] == 0 || (valued && a[n] == '=')))
            return *names;
    }
    return nullptr;
}

int cmd_parse(int argc, char** argv, const char* program, const char* const* flags, const char* const* valued,
              const char* usage, cmdArgs_T* out)
{
    int answered = cmd_helpOrVersion(argc, argv, program, usage);
    if (answered >= 0)
        return answered;
    *out = cmdArgs_T{};
    bool optionsEnd = false;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* name = nullptr;
        if (optionsEnd || a[0] != '-' || !a[1]) {
            out->operands.push_back(a);
        } else if (!std::strcmp(a, "--")) {
            optionsEnd = true;
        } else if (listed(flags, a, false)) {
            out->options.emplace_back(a, nullptr);
        } else if ((name = listed(valued, a, true))) {
            size_t n = std::strlen(name);
            if (a[n] == '=')
                out->options.emplace_back(name, a + n + 1);
            else if (i + 1 < argc)
                out->options.emplace_back(name, argv[++i]);
            else
                return cmd_refuse(program, usage, "%s needs a value", name);
        } else {
            return cmd_refuse(program, usage, "unknown option %s", a);
        }
    }
    return -1;
}

int cmd_whole(const char* text, long low, long high, long* out)
{
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (end == text || *end || n < low || n > high)
        return 0;
    *out = n;
    return 1;
}
