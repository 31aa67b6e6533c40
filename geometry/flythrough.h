#pragma once
// The terrain fly-through (timeline step 6).
int flythroughPart(int arg);
