#!/usr/bin/env bash
# The real executable in a real X server (Xvfb with openbox): its window
# fills the screen, 'c', Alt+Enter (full screen to a window twice the
# picture's size on this 1024 x 768 screen, and back), resizing the window
# (the picture keeps its shape, centred, whole pixels first), '3', Esc and
# closing the window work, as a person would use them.
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
wait_for 30 size_is 640x480 || fail "Alt+Enter: window is $(window_size), not 640x480"
wait_for 20 shows_picture "$win" "$WORK/window.png" || fail "windowed picture is black (mean $(mean_of "$WORK/window.png"))"
check=$(identify -format "%wx%h" "$WORK/window.png")
[ "$check" == "640x480" ] || fail "window client area is $check"
# Every pixel of the picture is a 2 x 2 square: shrunk by sampling and grown
# back by repeating, a screenshot is the same. (The picture changes every
# frame, and a screenshot may catch one half drawn: another one is taken.)
squares() {
    import -window "$win" "$WORK/window.png" 2>/dev/null || return 1
    d=$(convert "$WORK/window.png" -sample 320x240 -sample 640x480 "$WORK/window.png" -compose difference \
        -composite -format "%[fx:maxima]" info:)
    awk "BEGIN {exit !($d == 0)}"
}
d=none
wait_for 10 squares || fail "the windowed picture is not made of 2 x 2 squares (largest difference $d)"
# The window takes another size; the picture fills its height, 4:3, centred,
# with black bars left and right.
resized_picture() {
    import -window "$win" "$WORK/resized.png" 2>/dev/null || return 1
    bars=$(convert "$WORK/resized.png" \( +clone -crop 100x600+0+0 \) \( -clone 0 -crop 100x600+900+0 \) -delete 0 \
        -append -format "%[fx:maxima]" info:)
    m=$(convert "$WORK/resized.png" -crop 800x600+100+0 -colorspace gray -format "%[fx:mean]" info:)
    awk "BEGIN {exit !($bars == 0 && $m > 0.05)}"
}
bars=none; m=none
xdotool windowsize "$win" 1000 600
wait_for 30 size_is 1000x600 || fail "resize: window is $(window_size), not 1000x600"
wait_for 20 resized_picture ||
    fail "resized: the bars beside the picture are not black ($bars) or no picture in the 800 x 600 middle (mean $m)"
# ... and reaches both edges of that middle (the 8 columns inside each edge
# are not all black).
for x in 100 892; do
    edge=$(convert "$WORK/resized.png" -crop 8x600+$x+0 -format "%[fx:maxima]" info:)
    awk "BEGIN {exit !($edge > 0)}" || fail "resized: the picture does not reach x = $x"
done
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
