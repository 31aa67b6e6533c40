#include "effects/raytracer.h"

// Placeholder until the ray tracer lands.
int rayTracerPart(int) { return 0; }
