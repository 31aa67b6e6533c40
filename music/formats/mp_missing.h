#pragma once
// What a file cut short (or pointing past its own end) lacks, counted by a
// reader while it loads what is there, and told once as the module's
// warnings: one line per kind of record.
#include <cstddef>
#include <cstdint>

struct mpModule_T;

struct mpMissing_T {
    uint32_t patterns;          // wholly or partly past the end
    uint32_t instruments;       // past the end
    uint32_t sampleHeaders;     // past the end
    uint32_t shortSamples;      // less data than their headers state
};

void mp_warnMissing(const mpMissing_T& missing, size_t fileSize, mpModule_T* m);
