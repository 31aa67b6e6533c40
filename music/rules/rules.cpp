#include "music/rules/rules.h"

const gmpRules_T* gmp_rulesOf(const mpModule_T* module)
{
    switch (module->formatId) {
    case MP_FORMAT_S3M:
        return &gmpS3mRules;
    case MP_FORMAT_XM:
        return &gmpXmRules;
    case MP_FORMAT_IT:
        return &gmpItRules;
    default:
        return &gmpModRules;
    }
}
