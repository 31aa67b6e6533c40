#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

static bool holdsData(const std::filesystem::path& dir)
{
    std::error_code ec;
    return std::filesystem::exists(dir / ".generated", ec) || std::filesystem::exists(dir / "phased.mod", ec);
}

void app_findData(const char* argv0)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (holdsData(fs::current_path(ec)))
        return;
    // Where the program itself lies, also when it was started through PATH.
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = fs::weakly_canonical(fs::path(argv0), ec);
    exe = exe.parent_path();
    for (const fs::path& dir : {exe / ".." / "data", exe / ".." / "share" / "varnek"}) {
        if (holdsData(dir)) {
            fs::current_path(dir, ec);
            return;
        }
    }
}
