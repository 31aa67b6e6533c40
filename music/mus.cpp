#include "music/mus.h"

// Placeholder until the module player lands: no music, no failure.
struct mpModule_T {};
static mpModule_T silence;
int mus_init() { return 0; }
mpModule_T* mus_load(const char*) { return &silence; }
int mus_play(mpModule_T*) { return 0; }
int mus_stop() { return 0; }
