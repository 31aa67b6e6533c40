#pragma once
// The fly-through's overlay: the console, and in accelerator mode the
// engine's heads-up display.
void hud_draw();
