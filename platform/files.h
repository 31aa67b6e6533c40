#pragma once
// Data files are named the way the demo always named them, with backslashes
// ("texturas\\mave0.bmp", ".\\pantallazos\\bicho.bmp"). This is the one place
// that maps such a name to the host's separator. Names are case-sensitive.
#include <cstdio>
#include <string>

std::string pf_hostPath(const char* name);
FILE* pf_fopen(const char* name, const char* mode);
// Bytes from the current position to the end of the file (the position is
// kept), or -1: lets readers refuse counts a file cannot hold before
// allocating for them.
long pf_fileBytesLeft(FILE* f);
