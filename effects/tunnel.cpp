#include "effects/tunnel.h"

// Placeholder until the tunnel lands.
int palettePart(int, int) { return 0; }
