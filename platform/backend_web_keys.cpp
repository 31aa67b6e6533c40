// The page's keyboard events turned into the events the SDL backend makes
// of the same keys: a scan code for the keyboard device, a key press for
// Esc, a system key-up for Alt+Enter, a character for what was typed.
#include <emscripten.h>

#include "platform/backend_web.h"

namespace {
constexpr int KEY_RETURN = 13;
constexpr int KEY_ESCAPE = 27;
bool returnWithAlt = false;   // the browser's thread only
}

extern "C" {
// scan: the keyboard device's code (0: none); key: 27 Esc, 13 Enter, the
// character of a printable key, else 0; alt: Alt was held; repeat: held down.
EMSCRIPTEN_KEEPALIVE void pf_webKey(int scan, int down, int key, int alt, int repeat)
{
    if (scan > 0 && scan < 256)
        pf_webQueueEvent(pfEvent_T{PF_EV_RAWKEY, 0, 0, scan, down ? 1 : 0});
    if (down && !alt && key == KEY_ESCAPE && !repeat)
        pf_webQueueEvent(pfEvent_T{PF_EV_KEYDOWN, KEY_ESCAPE, 0, 0, 1});
    // Alt+Enter counts when Alt was held as Return went down, whichever of
    // the two keys is let go first.
    if (key == KEY_RETURN && down && !repeat)
        returnWithAlt = alt != 0;
    if (key == KEY_RETURN && !down) {
        if (alt || returnWithAlt)
            pf_webQueueEvent(pfEvent_T{PF_EV_SYSKEYUP, KEY_RETURN, 0, 0, 0});
        returnWithAlt = false;
    }
    // Characters typed with Alt held are system characters, as on the desktop.
    if (down && !alt && key >= 32 && key < 127)
        pf_webQueueEvent(pfEvent_T{PF_EV_CHAR, 0, key, 0, 0});
}

// The page gained (1) or lost (0) the keyboard focus.
EMSCRIPTEN_KEEPALIVE void pf_webFocus(int on) { pf_webQueueEvent(pfEvent_T{PF_EV_FOCUS, 0, 0, 0, on ? 1 : 0}); }
}
