#pragma once
// The palette tunnel (timeline step 3).
int palettePart(int mode, int frames);
