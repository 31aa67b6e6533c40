#include "tools/play/play_terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

namespace {

struct termios saved, rawMode;
volatile sig_atomic_t raw = 0;
// Bytes of an escape sequence read so far (arrows come as ESC [ C and
// ESC [ D, or ESC O C and ESC O D from a terminal in application mode).
char pending[3];
int pendingLength = 0;

void onSignal(int sig)
{
    term_restore();
    signal(sig, SIG_DFL);
    raise(sig);
}

// Ctrl-Z: the shell gets its terminal back while we are stopped, and keys
// work again once we are continued.
void onStop(int sig)
{
    bool wasRaw = raw;
    term_restore();
    signal(sig, SIG_DFL);
    raise(sig);
    signal(sig, onStop);
    if (wasRaw && tcsetattr(STDIN_FILENO, TCSAFLUSH, &rawMode) == 0)
        raw = 1;
}

}  // namespace

void term_restore()
{
    if (!raw)
        return;
    raw = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
}

int term_start()
{
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0)
        return 0;
    rawMode = saved;
    // Keys without Enter and without echo; Ctrl-C still interrupts.
    rawMode.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    rawMode.c_cc[VMIN] = 0;
    rawMode.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &rawMode) != 0)
        return 0;
    raw = 1;
    std::atexit(term_restore);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        signal(sig, onSignal);
    signal(SIGTSTP, onStop);
    return 1;
}

static int keyOf(char c)
{
    switch (c) {
    case ' ': return KEY_PAUSE;
    case 'n': return KEY_NEXT;
    case 'p': return KEY_PREVIOUS;
    case '+': case '=': return KEY_LOUDER;
    case '-': return KEY_SOFTER;
    case 'q': case 'Q': return KEY_QUIT;
    default: return KEY_NONE;
    }
}

int term_key(int waitMs)
{
    if (!raw) {
        if (waitMs > 0)
            poll(nullptr, 0, waitMs);
        return KEY_NONE;
    }
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0)
        return KEY_NONE;
    char c;
    while (read(STDIN_FILENO, &c, 1) == 1) {
        if (pendingLength == 0 && c != 27)
            return keyOf(c);
        pending[pendingLength++] = c;
        if (pendingLength == 2 && pending[1] != '[' && pending[1] != 'O') {
            pendingLength = 0;
            return keyOf(c);
        }
        if (pendingLength == 3) {
            pendingLength = 0;
            return c == 'C' ? KEY_FORWARD : c == 'D' ? KEY_BACK : KEY_NONE;
        }
    }
    return KEY_NONE;
}

int term_columns()
{
    struct winsize w;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &w) == 0 && w.ws_col > 0)
        return w.ws_col;
    return 80;
}
