// varnek: the demo in a real window.
#include <cstdio>

#include "app/engine_thread.h"
#include "app/window.h"
#include "platform/backend_sdl.h"

// One line on standard output as each step of the timeline ends, for
// whoever watches the demo from a terminal or a test.
static void onStep(int step, const char* name)
{
    std::printf("varnek: step %d %s ended\n", step, name);
    std::fflush(stdout);
}

int main(int, char** argv)
{
    app_findData(argv[0]);
    engine_setStepHook(onStep);
    pf_setBackend(pf_sdlBackend());
    return app_finish(app_run());
}
