#include <cstdio>
#include <cstdlib>

#include "app/window.h"
#include "platform/main_thread.h"

int app_finish(int code)
{
    pfThread_T* engine = app_engineThread();
    std::fflush(stdout);
    std::fflush(stderr);
    if (!engine)
        return code;
    // A thread the close's wait gave up on cannot be waited for any longer.
    if (!app_closeHandled() || app_closeTimedOut() || !pf_threadEnded(engine))
        std::_Exit(code);
    pf_threadJoin(engine);
    return code;
}
