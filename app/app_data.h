#pragma once
// Where the programs find their data files, and what they say at their end
// about the files that were not there.

// Change into the data directory when the current one does not hold the
// data files: beside the program (build tree) or its installed share folder.
void app_findData(const char* argv0);

// Change into the data directory given on the command line; -1 (and a line
// on standard error) when it cannot be entered.
int app_enterData(const char* program, const char* dir);

// At the end of a run: one line on standard error for every data file that
// was asked for and not found, naming every folder looked in. Returns code,
// or 1 when it was 0 and a file was missing: a run without its data is no
// success.
int app_reportMissingData(const char* program, int code);
