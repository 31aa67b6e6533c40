#pragma once
// The data generator: each generator file registers a writer with
// GEN_REGISTER; main() runs them all into the data directory. Writers must be
// deterministic: the same bytes on every run.
#include <string>

using genWriter_T = int (*)(const std::string& dataDir);   // 0 or -1

struct genRegistration_T {
    genRegistration_T(const char* name, genWriter_T writer);
};

#define GEN_REGISTER(name, writer) static genRegistration_T genRegistration_##writer(name, writer)

// Write bytes to dataDir/relativeName (backslashes allowed), creating folders.
int gen_writeFile(const std::string& dataDir, const char* relativeName, const void* data, size_t size);
