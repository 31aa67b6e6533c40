#include "effects/scene3ds.h"

// Placeholder until the 3DS scene lands.
int scene3dsPart(int) { return 0; }
