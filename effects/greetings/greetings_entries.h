#pragma once
// The greeting lines: each rises from below the screen at its start frame,
// hangs from its target point on a damped spring for 80 frames, then falls
// away under its own weight.
#include <cstdint>

struct particleSystem_T;

struct greetEntry_T {
    int32_t startFrame;
    float targetX, targetY;
    float velX, velY;
    float posX, posY;
    const char* text;
};

enum {
    GREET_ENTRIES = 26,
    GREET_FIRST_START = 28,     // entry i starts at elapsed 28 + 38 i
    GREET_START_STEP = 38,
    GREET_SPRING_FRAMES = 80,
    GREET_SPAWN_Y = 200,        // below the band the lines are seen through
};

// Fills the 26 entries: start frames, targets and texts, at rest.
void greetings_setEntries(greetEntry_T* entries);

// Advances one entry to this elapsed frame. At its start frame it is placed
// at its spawn point (one crt_rand draw for x) and not drawn yet; after it,
// it moves and 1 is returned: draw it at (posX, posY) truncated.
int greetings_stepEntry(greetEntry_T* e, int32_t elapsed);

// The screen's live state, for tests and tools that look inside.
const greetEntry_T* greetings_entries();
const particleSystem_T* greetings_particles();
