#include "tools/play/play_terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>

namespace {

struct termios saved, rawMode;
volatile sig_atomic_t raw = 0;
// Raw mode was asked for: it comes back whenever we are in the foreground
// again after a stop.
volatile sig_atomic_t wanted = 0;
volatile sig_atomic_t stops = 0;
// The status line is on the terminal (a line end before a stop keeps the
// shell's message off it); not when stdout goes to a file.
volatile sig_atomic_t statusOnTerminal = 0;
// Bytes of an escape sequence read so far (arrows come as ESC [ A to
// ESC [ D, or ESC O A to ESC O D from a terminal in application mode).
char pending[3];
int pendingLength = 0;

void onSignal(int sig)
{
    term_restore();
    signal(sig, SIG_DFL);
    raise(sig);
}

bool foreground() { return tcgetpgrp(STDIN_FILENO) == getpgrp(); }

// Ctrl-Z: the terminal goes back to the shell and the process stops. The
// signal is blocked while its handler runs, so it is unblocked before it is
// raised again with its default action; raise returns once we are
// continued (fg or bg), and the handler is back for the next stop.
void onStop(int sig)
{
    int saved_errno = errno;
    term_restore();
    if (statusOnTerminal) {
        ssize_t written = write(STDOUT_FILENO, "\n", 1);
        (void)written;
    }
    signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    signal(sig, onStop);
    stops = stops + 1;
    // Continued in the foreground (fg): keys at once. Continued in the
    // background (bg), term_key takes raw mode back once we are brought
    // to the foreground.
    if (wanted && foreground())
        term_raw();
    errno = saved_errno;
}

}  // namespace

int term_raw()
{
    if (raw)
        return 1;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &rawMode) != 0)
        return 0;
    raw = 1;
    return 1;
}

int term_stops() { return stops; }

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
    wanted = 1;
    statusOnTerminal = isatty(STDOUT_FILENO);
    if (!term_raw())
        return 0;
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
    case 'm': return KEY_MESSAGE;
    case '>': case '.': return KEY_NEXT_SONG;
    case '<': case ',': return KEY_PREVIOUS_SONG;
    case '0': return KEY_CHANNEL + 9;
    case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        return KEY_CHANNEL + (c - '1');
    default: return KEY_NONE;
    }
}

int term_key(int waitMs)
{
    if (wanted && !raw && foreground())
        term_raw();
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
            return c == 'C' ? KEY_FORWARD : c == 'D' ? KEY_BACK : c == 'A' ? KEY_SEEK_FORWARD
                 : c == 'B' ? KEY_SEEK_BACK : KEY_NONE;
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
