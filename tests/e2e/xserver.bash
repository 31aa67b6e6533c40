# Shared by the tests that run the real window: an X server (Xvfb with the
# openbox window manager) of their own, and the demo started in it.
# Source it after setting BUILD and WORK; it sets DISPLAY.

for tool in Xvfb openbox xdotool xwininfo xprop import convert xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "missing $tool (test.sh installs it)"; exit 1; }
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_for SECONDS COMMAND...: poll until the command succeeds, for at most
# that many seconds of wall time (however slowly a loaded machine polls).
wait_for() {
    local deadline=$(( $(now_ms) + $1 * 1000 )); shift
    while :; do
        "$@" >/dev/null 2>&1 && return 0
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

demo_pid=""
openbox_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
    kill $openbox_pid $xvfb_pid 2>/dev/null
    wait 2>/dev/null
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$WORK"
}
trap cleanup EXIT

# The server picks a free display number itself and writes it once ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$WORK/display" || { echo "Xvfb did not start"; cat "$WORK/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$WORK/display")"
wait_for 10 xdpyinfo || { echo "Xvfb does not answer on $DISPLAY"; exit 1; }
openbox >"$WORK/openbox.log" 2>&1 &
openbox_pid=$!
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window'
sleep 0.5   # the window manager announces itself a moment before it manages windows

# start_demo LOG: the demo with SDL's dummy audio; its window id in $win.
start_demo() {
    # SDL waits for the window manager to map a new window, and now and then
    # a freshly started openbox never does: a start whose window does not
    # open in 20 s is given up and made again, at most three times.
    local attempt
    for attempt in 1 2 3; do
        launched=$(date +%s.%N)
        (cd "$BUILD/data" && SDL_AUDIODRIVER=dummy exec "$BUILD/bin/varnek") >"$1" 2>&1 &
        demo_pid=$!
        # Look the window up only once the program says it is open.
        wait_for 20 grep -q "window open" "$1" && break
        echo "the window did not open (attempt $attempt)"
        kill -9 "$demo_pid" 2>/dev/null
        wait "$demo_pid" 2>/dev/null
        demo_pid=""
    done
    [ -n "$demo_pid" ] || { fail "no window"; cat "$1"; return 1; }
    wait_for 30 sh -c 'xdotool search --name "Torven" >/dev/null' || { fail "window not found"; return 1; }
    win=$(xdotool search --name "Torven" | head -1)
    # A window just mapped may not take the focus at the first asking (the
    # window manager may not manage it yet, or be slow to on a busy
    # machine): ask the window manager and set the input focus directly,
    # until the window has it, and say so when it never does.
    wait_for 60 focus_taken "$win" || { fail "window $win never took the focus"; return 1; }
}

# focus_taken WINDOW: the window has the keyboard focus; if not, it is
# asked for once more. Use with wait_for.
focus_taken() {
    local focus
    # Ids compare as numbers: xwininfo writes them in hexadecimal, xdotool not.
    focus=$(xdotool getwindowfocus 2>/dev/null) && [ "$((focus))" -eq "$(($1))" ] && return 0
    xdotool windowactivate "$1" 2>/dev/null
    xdotool windowfocus "$1" 2>/dev/null
    return 1
}

# demo_exit_code SECONDS: wait for the demo to end, at most that many
# seconds; its code in $code.
demo_exit_code() {
    code="still running"
    wait_for "$1" sh -c "! kill -0 $demo_pid" || return
    wait "$demo_pid"
    code=$?
    demo_pid=""
}
