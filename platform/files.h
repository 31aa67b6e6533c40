#pragma once
// Data files are named the way the demo always named them, with backslashes
// ("texturas\\mave0.bmp", ".\\pantallazos\\bicho.bmp"). This is the one place
// that maps such a name to the host's separator. Names are case-sensitive.
#include <cstdio>
#include <string>
#include <vector>

std::string pf_hostPath(const char* name);
// Opens a data file by its demo name. A file opened for reading that does
// not exist is remembered (see pf_missingFiles).
FILE* pf_fopen(const char* name, const char* mode);
// The host paths of the files pf_fopen was asked to read and did not find,
// each once, in the order they were first asked for: whatever an effect
// does without its file, the program can still say at its end what was
// missing.
std::vector<std::string> pf_missingFiles();
// Bytes from the current position to the end of the file (the position is
// kept), or -1: lets readers refuse counts a file cannot hold before
// allocating for them.
long pf_fileBytesLeft(FILE* f);
