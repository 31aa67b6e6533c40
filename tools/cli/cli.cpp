#include "tools/cli/cli.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static bool listed(const char* const* names, const char* a)
{
    for (; *names; names++)
        if (!std::strcmp(*names, a))
            return true;
    return false;
}

void cli_refuse(const char* usage)
{
    std::fputs(usage, stderr);
    std::exit(2);
}

cliArgs_T cli_parse(int argc, char** argv, const char* const* flags, const char* const* valued, const char* usage,
                    const char* version)
{
    cliArgs_T out;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "--version")) {
            std::fputs(a[2] == 'h' ? usage : version, stdout);
            std::exit(0);
        }
        if (listed(flags, a))
            out.options.emplace_back(a, nullptr);
        else if (listed(valued, a) && i + 1 < argc)
            out.options.emplace_back(a, argv[++i]);
        else if (a[0] == '-' && a[1])
            cli_refuse(usage);
        else
            out.operands.push_back(a);
    }
    return out;
}

long cli_count(const char* text, long low, long high)
{
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    return end != text && !*end && n >= low && n <= high ? n : -1;
}
