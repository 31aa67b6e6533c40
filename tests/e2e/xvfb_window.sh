#!/usr/bin/env bash
# The real executable in a real X server (Xvfb with openbox): its window
# fills the screen, 'c', Alt+Enter (full screen to window and back), '3',
# Esc and closing the window work, as a person would use them.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
WORK="$(mktemp -d)"
source "$(dirname "$0")/xserver.bash"

window_size() { xwininfo -id "$win" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
size_is() { [ "$(window_size)" == "$1" ]; }
mean_of() { convert "$1" -colorspace gray -format "%[fx:mean]" info:; }
# shows_picture WINDOW FILE: a screenshot of the window that is not black.
shows_picture() {
    import -window "$1" "$2" 2>/dev/null || return 1
    awk "BEGIN {exit !($(mean_of "$2") > 0.05)}"
}

# 1. Full screen, console, window and back, accelerator mode, Esc.
start_demo "$WORK/run1.log" || exit 1
wait_for 30 size_is 1024x768 || fail "full screen: window is $(window_size)"
wait_for 20 shows_picture root "$WORK/full.png" || fail "full screen picture is black (mean $(mean_of "$WORK/full.png"))"
xdotool key c
xdotool key alt+Return
wait_for 30 size_is 320x240 || fail "Alt+Enter: window is $(window_size), not 320x240"
wait_for 20 shows_picture "$win" "$WORK/window.png" || fail "windowed picture is black (mean $(mean_of "$WORK/window.png"))"
check=$(identify -format "%wx%h" "$WORK/window.png")
[ "$check" == "320x240" ] || fail "window client area is $check"
xdotool key alt+Return
wait_for 30 size_is 1024x768 || fail "second Alt+Enter: window is $(window_size)"
xdotool key 3
sleep 0.5
xdotool key 3
sleep 0.5
kill -0 "$demo_pid" 2>/dev/null || fail "the demo died on '3'"
xdotool key Escape
demo_exit_code 30
[ "$code" == "0" ] || fail "Esc: exit code $code"

# 2. Closing the window: the engine thread ends at the close, well within
#    the close's bounded 3 s wait (which says so when it runs out), and the
#    process with it; the deadline leaves room for a loaded machine.
start_demo "$WORK/run2.log" || exit 1
sleep 1
xdotool key alt+F4
demo_exit_code 30
[ "$code" == "0" ] || fail "close: exit code $code"
grep -q "did not end within" "$WORK/run2.log" && fail "close: $(grep -m1 'did not end within' "$WORK/run2.log")"

if [ "$failures" -ne 0 ]; then
    cat "$WORK"/*.log
    exit 1
fi
echo "xvfb window: all checks passed"
