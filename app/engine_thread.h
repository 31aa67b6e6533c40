#pragma once
// The engine thread's entry and its timeline of eight steps.
#include <cstdint>

int engine_thread(void* windowHandle);

enum { ENGINE_STEPS = 8 };
extern const char* const engineStepNames[ENGINE_STEPS];

// Tools and tests: run only the steps whose bit (1 << (step - 1)) is set
// (all by default), and hear about every step as it ends.
void engine_setStepFilter(uint32_t mask);
void engine_setStepHook(void (*hook)(int step, const char* name));
