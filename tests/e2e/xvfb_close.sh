#!/usr/bin/env bash
# Closing the real window, 20 times, as a person or another program closes it:
# Alt+F4, the window manager's close button (in windowed mode) and
# `xdotool windowclose` (the window destroyed from outside), each at several
# moments of the demo. Every close ends with exit code 0, the window leaves
# the screen within 0.3 s and the process ends within 3.5 s (the close's
# bounded 3 s wait for the engine thread, then at once). Last, the X server
# itself goes away: a clear message and exit code 1, never a crash.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
WORK="$(mktemp -d)"
source "$(dirname "$0")/xserver.bash"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
viewable() { xwininfo -id "$win" 2>/dev/null | grep -q "IsViewable"; }

# The close button of openbox's title bar, 12 pixels in from the frame's
# right edge and 10 down from its top; the pointer waits above it.
point_at_close_button() {
    local frame
    frame=$(xwininfo -id "$win" -tree | awk '/Parent window id/ {print $4}')
    eval "$(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {print "fx=" $4} /Absolute upper-left Y/ {print "fy=" $4} /Width/ {print "fw=" $2}')"
    xdotool mousemove $((fx + fw - 12)) $((fy + 10))
}

methods=(altf4 button windowclose)
moments=(0.3 1.2 2.5 4 0.8 6 1.7)
gone_max=0
end_max=0
for i in $(seq 0 19); do
    method=${methods[$((i % 3))]}
    moment=${moments[$((i % 7))]}
    start_demo "$WORK/close$i.log" || exit 1
    if [ "$method" == "button" ]; then
        # The close button is on the frame of a window, not on full screen.
        xdotool key alt+Return
        wait_for 10 sh -c "xwininfo -id $win | grep -q 'Width: 640'" || fail "close $i: no windowed mode"
    fi
    sleep "$moment"
    [ "$method" == "button" ] && point_at_close_button
    t0=$(now_ms)
    case $method in
    altf4) xdotool key alt+F4 ;;
    button) xdotool click 1 ;;
    windowclose) xdotool windowclose "$win" ;;
    esac
    gone=""
    ended=""
    for _ in $(seq 300); do
        [ -z "$gone" ] && ! viewable && gone=$(( $(now_ms) - t0 ))
        if ! kill -0 "$demo_pid" 2>/dev/null; then
            ended=$(( $(now_ms) - t0 ))
            wait "$demo_pid"
            code=$?
            demo_pid=""
            break
        fi
        sleep 0.02
    done
    [ -z "$gone" ] && gone=none
    echo "close $i ($method after ${moment} s): window gone ${gone} ms, process ended ${ended:-never} ms, exit ${code:-none}"
    if [ -z "$ended" ]; then
        fail "close $i: the process did not end"
        kill -9 "$demo_pid" 2>/dev/null
        demo_pid=""
        continue
    fi
    [ "$code" == "0" ] || fail "close $i ($method): exit code $code"
    if [ "$gone" == "none" ] || [ "$gone" -gt 300 ]; then fail "close $i ($method): window gone after $gone ms"; fi
    [ "$ended" -le 3500 ] || fail "close $i ($method): process ended after $ended ms"
    [ "$gone" != "none" ] && [ "$gone" -gt "$gone_max" ] && gone_max=$gone
    [ "$ended" -gt "$end_max" ] && end_max=$ended
    grep -q "Segmentation\|X Error" "$WORK/close$i.log" && fail "close $i: $(grep -m1 'Segmentation\|X Error' "$WORK/close$i.log")"
done
echo "20 closes: window gone within ${gone_max} ms, process ended within ${end_max} ms"

# The X server goes away under the running demo.
start_demo "$WORK/lost.log" || exit 1
sleep 1.5
kill "$xvfb_pid"
demo_exit_code 10
[ "$code" == "1" ] || fail "X server gone: exit code $code"
grep -q "lost the connection to the X server" "$WORK/lost.log" || fail "X server gone: no message"

if [ "$failures" -ne 0 ]; then
    tail -n 5 "$WORK"/*.log
    exit 1
fi
echo "xvfb close: all checks passed"
