#include "gfx2d/greetings.h"

// Placeholder until the greetings screen lands: frames stay black.
int greetings_init(gbuffer_T*) { return 0; }
void greetings_frame(gbuffer_T*, int, int) {}
void greetings_release() {}
