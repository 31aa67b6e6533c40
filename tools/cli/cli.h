#pragma once
// The command line as the programs share it: --help (usage on stdout, exit
// 0), --version, and an unknown option or a missing argument refused with the
// usage on stderr and exit code 2.
#include <string>
#include <utility>
#include <vector>

struct cliArgs_T {
    std::vector<std::pair<std::string, const char*>> options;   // in order; value null for a flag
    std::vector<const char*> operands;                          // everything not an option
};

// `flags` and `valued` list the program's options without and with a value
// (null-terminated). --help and --version are answered and end the process
// (exit 0), as does a refusal (exit 2).
cliArgs_T cli_parse(int argc, char** argv, const char* const* flags, const char* const* valued, const char* usage,
                    const char* version);
// Prints the usage on stderr and ends the process with exit code 2.
[[noreturn]] void cli_refuse(const char* usage);
// A whole number low..high in text (all of it), else -1.
long cli_count(const char* text, long low, long high);
