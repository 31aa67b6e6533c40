#!/usr/bin/env bash
# The real executable in a real X server (Xvfb with openbox): its window
# fills the screen, 'c', Alt+Enter (full screen to window and back), '3',
# Esc and closing the window work, as a person would use them.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
WORK="$(mktemp -d)"
for tool in Xvfb openbox xdotool xwininfo import convert xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "missing $tool (test.sh installs it)"; exit 1; }
done

display=""
for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
cleanup() {
    pkill -P $$ varnek 2>/dev/null
    kill "$openbox_pid" "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# wait_for SECONDS COMMAND...: poll until the command succeeds.
wait_for() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
wait_for 10 xdpyinfo || { echo "Xvfb did not start"; exit 1; }
openbox >"$WORK/openbox.log" 2>&1 &
openbox_pid=$!
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window'

window_size() { xwininfo -id "$win" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
size_is() { [ "$(window_size)" == "$1" ]; }
mean_of() { convert "$1" -colorspace gray -format "%[fx:mean]" info:; }

start_demo() {   # start_demo LOG
    (cd "$BUILD/data" && SDL_AUDIODRIVER=dummy exec "$BUILD/bin/varnek") >"$1" 2>&1 &
    demo_pid=$!
    # Look the window up only once the program says it is open.
    wait_for 60 grep -q "window open" "$1" || { fail "no window"; cat "$1"; return 1; }
    wait_for 30 sh -c 'xdotool search --name "Torven" >/dev/null' || { fail "window not found"; return 1; }
    win=$(xdotool search --name "Torven" | head -1)
    xdotool windowactivate --sync "$win" >/dev/null 2>&1
}

demo_exit_code() {   # wait up to 10 s for the demo to end; its code in $code
    code="still running"
    for _ in $(seq 100); do
        if ! kill -0 "$demo_pid" 2>/dev/null; then wait "$demo_pid"; code=$?; return; fi
        sleep 0.1
    done
}

# 1. Full screen, console, window and back, accelerator mode, Esc.
start_demo "$WORK/run1.log" || exit 1
wait_for 10 size_is 1024x768 || fail "full screen: window is $(window_size)"
sleep 1
import -window root "$WORK/full.png"
m=$(mean_of "$WORK/full.png")
awk "BEGIN {exit !($m > 0.05)}" || fail "full screen picture is black (mean $m)"
xdotool key c
xdotool key alt+Return
wait_for 10 size_is 320x240 || fail "Alt+Enter: window is $(window_size), not 320x240"
sleep 0.5
import -window "$win" "$WORK/window.png"
check=$(identify -format "%wx%h" "$WORK/window.png")
[ "$check" == "320x240" ] || fail "window client area is $check"
m=$(mean_of "$WORK/window.png")
awk "BEGIN {exit !($m > 0.05)}" || fail "windowed picture is black (mean $m)"
xdotool key alt+Return
wait_for 10 size_is 1024x768 || fail "second Alt+Enter: window is $(window_size)"
xdotool key 3
sleep 0.5
xdotool key 3
sleep 0.5
kill -0 "$demo_pid" 2>/dev/null || fail "the demo died on '3'"
xdotool key Escape
demo_exit_code
[ "$code" == "0" ] || fail "Esc: exit code $code"

# 2. Closing the window: the close runs its bounded wait, then the process ends.
start_demo "$WORK/run2.log" || exit 1
sleep 1
xdotool key alt+F4
demo_exit_code
[ "$code" == "0" ] || fail "close: exit code $code"

if [ "$failures" -ne 0 ]; then
    cat "$WORK"/*.log
    exit 1
fi
echo "xvfb window: all checks passed"
