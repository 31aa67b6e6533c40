#include "gfx2d/credits.h"

// Placeholder until the credits screen lands: frames stay black.
int credits_init(gbuffer_T*) { return 0; }
void credits_frame(gbuffer_T*, int) {}
void credits_release() {}
