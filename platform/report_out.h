#pragma once
// A program's report on standard output: every report line starts a
// line of its own, even right after text the demo printed without a line
// end (the mesh reader's progress lines end that way), so the report can be
// read line by line.

// Replaces stdout with an unbuffered stream on the same file that remembers
// the last character written through it. Call before anything is printed.
void report_trackStdout();

// One report line: a line end first when the output is not at the start of
// a line, then the text and its own line end.
void report_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
