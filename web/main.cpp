// varnek in a web page: the entry the page starts once the viewer has
// clicked or pressed a key (browsers only allow sound after one). It runs on
// a pthread of its own, so the message loop may wait as on the desktop.
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>

#include "app/engine_thread.h"
#include "app/window.h"
#include "platform/backend_web.h"

// Tells the page as each step of the timeline ends, with the engine's work
// per frame in it, so the page can show (and a test read) each effect's
// frame time.
static void onStep(int step, const char* name)
{
    pfWorkStats_T work = pf_webWorkTake();
    MAIN_THREAD_ASYNC_EM_ASM({ if (Module.onStep) Module.onStep($0, UTF8ToString($1), $2, $3, $4); },
                             step, name, work.frames, work.meanMs, work.medianMs);
}

int main()
{
    // The build preloads the data files into /data of the page's file system.
    if (chdir("/data") != 0)
        std::fprintf(stderr, "varnek: no /data folder in the page's files\n");
    engine_setStepHook(onStep);
    pf_setBackend(pf_webBackend());
    int code = app_run();
    // A page cannot close itself: it shows its end screen. Told before the
    // process ends (at once after Esc), and waited for, so it is not lost.
    MAIN_THREAD_EM_ASM({ if (Module.onDemoEnd) Module.onDemoEnd($0); }, code);
    return app_finish(code);
}
