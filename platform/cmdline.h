#pragma once
// What every program of the project does with its command line: --help
// prints the usage on standard output and ends with 0, --version prints the
// version, and an unknown option or a missing argument prints the reason
// and the usage on standard error and ends with 2.

enum { CMD_OK = 0, CMD_USAGE_ERROR = 2 };

// -1 when no argument is --help or --version; otherwise the answer has been
// printed and the result is the exit code (0).
int cmd_helpOrVersion(int argc, char** argv, const char* program, const char* usage);

// Prints "PROGRAM: REASON" and the usage on standard error; returns 2.
int cmd_refuse(const char* program, const char* usage, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
