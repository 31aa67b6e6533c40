#pragma once
// Each module format's rules table (music/rules/<format>/), and the choice
// among them, made once when a module starts to play.
#include "music/core/gmp.h"
#include "music/mp_module.h"

extern const gmpRules_T gmpModRules;
extern const gmpRules_T gmpS3mRules;
extern const gmpRules_T gmpXmRules;
extern const gmpRules_T gmpItRules;

// The rules a module plays by, from its format.
const gmpRules_T* gmp_rulesOf(const mpModule_T* module);
