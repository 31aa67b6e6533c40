#pragma once
// The textured 3DS scene (timeline step 4).
int scene3dsPart(int frames);
