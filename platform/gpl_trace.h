#pragma once
// The 2D library's indented debugging trace. Loaders name themselves with
// gpl_trace, open a block with gpl_traceIn, trace their steps and close the
// block with gpl_traceOut. It is off unless VARNEK_GPL_TRACE is set when the
// first trace call runs: "1" writes to standard output, any other non-empty
// value except "0" is a file name the trace is appended to.

void gpl_trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void gpl_traceIn();
void gpl_traceOut();

// Switch the trace on or off from code (tests): toStdout and/or a file name
// (null for none); both off turns it off. Resets indentation.
void gpl_traceSet(int toStdout, const char* fileName);
