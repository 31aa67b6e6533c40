#pragma once
// What every program of the project does with its command line: --help
// prints the usage on standard output and ends with 0, --version prints the
// version (one for every program), and an unknown option, a missing
// argument or a bad value prints "PROGRAM: REASON" and the usage on standard
// error and ends with 2.
#include <string>
#include <utility>
#include <vector>

enum { CMD_OK = 0, CMD_USAGE_ERROR = 2 };

// -1 when no argument is --help or --version; otherwise the answer has been
// printed and the result is the exit code (0).
int cmd_helpOrVersion(int argc, char** argv, const char* program, const char* usage);

// Prints "PROGRAM: REASON" and the usage on standard error; returns 2.
int cmd_refuse(const char* program, const char* usage, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

struct cmdArgs_T {
    std::vector<std::pair<std::string, const char*>> options;   // in order; value null for a flag
    std::vector<const char*> operands;                          // everything not an option
};

// Splits the command line into the options named in `flags` (no value) and
// `valued` (a value, as the next argument or after '='), both
// null-terminated, and the operands: "-" alone is an operand, and "--" ends
// the options. -1 when the line is good; otherwise the exit code, the
// answer to --help or --version or the refusal printed.
int cmd_parse(int argc, char** argv, const char* program, const char* const* flags, const char* const* valued,
              const char* usage, cmdArgs_T* out);

// A whole number low..high in the whole of text: 1 and *out, else 0.
int cmd_whole(const char* text, long low, long high, long* out);
