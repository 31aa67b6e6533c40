#include "platform/backend_sdl_x11.h"

#include <SDL_syswm.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace {
Display* display = nullptr;
Window watched = 0;
// Set by the error handler, which Xlib calls on the thread of the failed
// request: the main thread, the only one that talks to X.
std::atomic<bool> lost{false};

// A request that names the gone window fails (the renderer presents into it,
// SDL asks for its attributes). Other errors, a BadWindow about some other
// program's window among them, are reported once and ignored: none of them
// is worth ending the demo.
int onXError(Display*, XErrorEvent* e)
{
    if (e->resourceid == watched) {
        lost = true;
        return 0;
    }
    static bool told = false;
    if (!told) {
        told = true;
        char text[128];
        XGetErrorText(e->display, e->error_code, text, sizeof(text));
        SDL_Log("varnek: X error ignored: %s (request %d)", text, e->request_code);
    }
    return 0;
}

// Xlib ends the process itself if this returns. _Exit ends it without
// destructors, so nothing the engine thread still uses is freed under it.
int onXIOError(Display*)
{
    static const char text[] = "varnek: lost the connection to the X server\n";
    ssize_t written = write(2, text, sizeof(text) - 1);
    (void)written;
    std::_Exit(1);
}
}

void pf_sdlX11Watch(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    display = info.info.x11.display;
    watched = info.info.x11.window;
    lost = false;
    XSetErrorHandler(onXError);
    XSetIOErrorHandler(onXIOError);
    // Every X event also comes as an SDL event; DestroyNotify is the one
    // looked for (SDL selects the structure events of its windows).
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

bool pf_sdlX11Destroyed(const SDL_Event& e)
{
    if (e.type != SDL_SYSWMEVENT || !watched || e.syswm.msg->subsystem != SDL_SYSWM_X11)
        return false;
    const XEvent& x = e.syswm.msg->msg.x11.event;
    return x.type == DestroyNotify && x.xdestroywindow.window == watched;
}

bool pf_sdlX11Lost()
{
    return lost;
}

bool pf_sdlX11Alive()
{
    if (display)
        XSync(display, False);   // errors of requests still in flight arrive now
    return !lost;
}
