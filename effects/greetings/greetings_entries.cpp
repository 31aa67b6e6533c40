#include "effects/greetings/greetings_entries.h"

#include <cmath>

#include "platform/crand.h"

// Lines that share the screen (a line and the next one) are kept short
// enough not to run into each other at their targets.
static const char* const greetTexts[GREET_ENTRIES] = {
    "GREETINGS",
    "HALCYON", "MOSSKEEP", "QUARTZ77", "NIGHTFERRY", "ORCHARD",
    "ZEPHYRITES", "KOBOLD", "ANTIMATTER", "FJORD", "VELVET",
    "COPPERHEAD", "LAMBDA", "FLUXWORX", "GLINT", "POLYGONE",
    "OILBURNERS", "FRACTALFOX", "OVERSCAN", "DUSTDEVILS", "MIRAGE",
    "RASTERFOLK", "SOLAR", "NO SIGNAL", "TONIC", "SPARKWORKS",
};

// Target points (x, y) of the lines, in table order.
static const float greetTargets[GREET_ENTRIES][2] = {
    {150, 30}, {30, 30}, {170, 60}, {40, 60}, {140, 30}, {70, 60}, {130, 30},
    {34, 60}, {140, 60}, {40, 60}, {120, 60}, {40, 30}, {134, 60}, {170, 30},
    {90, 30}, {170, 60}, {20, 60}, {30, 40}, {50, 60}, {130, 27}, {5, 25},
    {130, 60}, {40, 20}, {120, 40}, {40, 20}, {120, 40},
};

void greetings_setEntries(greetEntry_T* entries)
{
    for (int i = 0; i < GREET_ENTRIES; i++) {
        greetEntry_T& e = entries[i];
        e.startFrame = GREET_FIRST_START + GREET_START_STEP * i;
        e.targetX = greetTargets[i][0];
        e.targetY = greetTargets[i][1];
        e.velX = e.velY = 0;
        e.posX = e.posY = 0;
        e.text = greetTexts[i];
    }
}

// Gravity on a line; with the spring's pull it settles about 76 pixels below
// its target.
static const float lineGravity = 0.21f;
static const float lineDrag = 0.98f;

int greetings_stepEntry(greetEntry_T* e, int32_t elapsed)
{
    if (e->startFrame == elapsed) {
        e->velX = e->velY = 0;
        e->posX = (float)(crt_rand() / 117) + e->targetX - 140.0f;
        e->posY = GREET_SPAWN_Y;
        return 0;
    }
    if (e->startFrame > elapsed)
        return 0;
    if (elapsed - e->startFrame < GREET_SPRING_FRAMES) {
        // A spring of rest length 10 toward the target. Exactly on the target
        // it has no direction and pulls nowhere.
        float d0 = e->posX - e->targetX;
        float d1 = e->posY - e->targetY;
        float dist = std::sqrt(d0 * d0 + d1 * d1);
        if (dist != 0.0f) {
            float pull = (dist - 10.0f) * 0.95f / 300.0f;
            e->velX -= pull * (d0 / dist);
            e->velY -= pull * (d1 / dist);
        }
        e->posX += e->velX;
        e->posY += e->velY;
        e->velY += lineGravity;
        e->velX *= lineDrag;
        e->velY *= lineDrag;
    } else {
        e->velY += lineGravity;
        e->velX *= lineDrag;
        e->velY *= lineDrag;
        e->posX += e->velX;
        e->posY += e->velY;
    }
    return 1;
}
