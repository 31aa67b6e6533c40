// varnek: the demo in a real window.
#include <chrono>
#include <cstdio>

#include "app/engine_thread.h"
#include "app/window.h"
#include "platform/backend_sdl.h"

static const auto startTime = std::chrono::steady_clock::now();

// One line on standard output as each step of the timeline ends, with the
// time since the program started, for whoever watches the demo from a
// terminal or a test.
static void onStep(int step, const char* name)
{
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    std::printf("varnek: step %d %s ended, %.3f s after start\n", step, name, s);
    std::fflush(stdout);
}

int main(int, char** argv)
{
    app_findData(argv[0]);
    engine_setStepHook(onStep);
    pf_setBackend(pf_sdlBackend());
    return app_finish(app_run());
}
