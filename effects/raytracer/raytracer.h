#pragma once
// The three-sphere ray tracer (timeline step 5).
int rayTracerPart(int frames);
