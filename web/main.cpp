// varnek in a web page: the entry the page starts once the viewer has
// clicked or pressed a key (browsers only allow sound after one). It runs on
// a pthread of its own, so the message loop may wait as on the desktop.
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>

#include "app/engine_thread.h"
#include "app/window.h"
#include "platform/backend_web.h"
#include "platform/main_thread.h"

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
    // A page cannot close itself: it shows its end screen at once.
    MAIN_THREAD_EM_ASM({ if (Module.onDemoEnd) Module.onDemoEnd($0); }, code);
    // Nor can a thread of it end the process (the web runtime traps when one
    // tries): every thread is brought to its end instead and main returns.
    // After Esc (or an engine thread whose set-up failed) the music and the
    // engine are stopped as a closed window stops them; at the end of the
    // timeline that close has run already. Calls the engine thread still
    // makes on this thread are answered until it has ended.
    if (!app_closeHandled())
        demoWndProc(WM_CLOSE, 0);
    pfThread_T* engine = app_engineThread();
    while (engine && !pf_threadEnded(engine)) {
        pf_runMainCalls();
        pfEvent_T ignored;
        pf_backend()->nextEvent(&ignored, 10);
    }
    if (engine)
        pf_threadJoin(engine);
    MAIN_THREAD_EM_ASM({ if (Module.onThreadsEnded) Module.onThreadsEnded(); });
    return code;
}
