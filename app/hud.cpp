#include "app/hud.h"

#include "app/console.h"

// Placeholder until the camera lands: software mode draws only the console.
void hud_draw() { con_render(); }
