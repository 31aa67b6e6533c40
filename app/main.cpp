// varnek: the demo in a real window.
#include <chrono>
#include <cstdio>

#include "app/app_data.h"
#include "app/engine_thread.h"
#include "app/window.h"
#include "platform/backend_sdl.h"
#include "platform/cmdline.h"
#include "platform/report_out.h"
#include "platform/sound_out.h"

static const auto startTime = std::chrono::steady_clock::now();

// One line on standard output as each step of the timeline ends, with the
// time since the program started, for whoever watches the demo from a
// terminal or a test.
static void onStep(int step, const char* name)
{
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    report_line("varnek: step %d %s ended, %.3f s after start", step, name, s);
}

static const char* const USAGE =
    "usage: varnek\n"
    "Plays the demo in a window; it takes no options. Keys: Esc quits, Alt+Enter switches\n"
    "full screen, c shows the log console, Space skips the fly-through, 3 accelerator mode.\n";

int main(int argc, char** argv)
{
    // The mesh reader's trace lines end without a line end: the step lines
    // still start lines of their own.
    report_trackStdout();
    int answered = cmd_helpOrVersion(argc, argv, "varnek", USAGE);
    if (answered >= 0)
        return answered;
    if (argc > 1)
        return cmd_refuse("varnek", USAGE, "unknown argument %s", argv[1]);
    app_findData(argv[0]);
    if (const char* why = pf_sdlNoDisplay()) {
        std::fprintf(stderr,
                     "varnek: %s, so no window can open; ./run.sh renders the demo to a video instead "
                     "(build/bin/varnek-render --video demo.mp4)\n",
                     why);
        return 1;
    }
    engine_setStepHook(onStep);
    pf_setBackend(pf_sdlBackend());
    if (pf_audioDevices() == 0)
        std::fprintf(stderr, "varnek: no sound device: the demo plays without sound\n");
    return app_finish(app_reportMissingData("varnek", app_run()));
}
