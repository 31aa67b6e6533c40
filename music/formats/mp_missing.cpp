#include "music/formats/mp_missing.h"

#include "music/mp_module.h"

void mp_warnMissing(const mpMissing_T& missing, size_t fileSize, mpModule_T* m)
{
    if (missing.patterns)
        mp_warn(m, "%u pattern(s) lie wholly or partly past the end of the file (%zu bytes): their missing rows are empty",
                missing.patterns, fileSize);
    if (missing.instruments)
        mp_warn(m, "%u instrument(s) lie past the end of the file (%zu bytes): they keep default settings",
                missing.instruments, fileSize);
    if (missing.sampleHeaders)
        mp_warn(m, "%u sample header(s) lie past the end of the file (%zu bytes): those samples are silent",
                missing.sampleHeaders, fileSize);
    if (missing.shortSamples)
        mp_warn(m, "%u sample(s) hold less data than their headers state: they play what the file holds",
                missing.shortSamples);
}
