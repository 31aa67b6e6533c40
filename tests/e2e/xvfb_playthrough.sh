#!/usr/bin/env bash
# The whole demo in the real window under Xvfb (SDL's dummy audio driver),
# from the first frame until it closes by itself with exit code 0. Keys are
# pressed along the way; a screenshot of every effect must show the same
# picture as the offline renderer at the same moment, allowing for timing
# (two seconds either way of the frames the moment can hold: a busy machine
# only ever makes the demo fall behind its 60 frames a second, so the frame
# on screen lies between the one counted forward from the step's start and
# the one counted back from its end).
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
WORK="$(mktemp -d)"
now() { date +%s.%N; }

# The offline run: the video frame (1/60 s) at which each step ends.
"$BUILD/bin/varnek-render" --data "$BUILD/data" >"$WORK/headless.out" 2>/dev/null
declare -A ends
while read -r step video; do ends[$step]=$video; done < <(
    grep -ao 'step [0-9] [a-z0-9]*: [0-9]* frames, ends at video frame [0-9]*' "$WORK/headless.out" |
    sed 's/step \([0-9]\) .* video frame \([0-9]*\)/\1 \2/')
[ "${#ends[@]}" -eq 8 ] || { echo "offline run incomplete"; cat "$WORK/headless.out"; exit 1; }

source "$(dirname "$0")/xserver.bash"

start_demo "$WORK/demo.log" || exit 1
# A window at twice the size (on the 1024 x 768 screen), so screenshots hold
# every pixel of the picture as a 2 x 2 square.
xdotool key alt+Return
wait_for 30 sh -c "xwininfo -id $win | grep -q 'Width: 640'" || fail "Alt+Enter did not make a window"

# step_end_time STEP: seconds after start when the demo said the step ended.
step_end_time() {
    grep -ao "step $1 [a-z0-9]* ended, [0-9.]* s after start" "$WORK/demo.log" | sed 's/.*ended, \([0-9.]*\) s.*/\1/'
}

# Moments to look at: seconds after the previous step ended (after the
# program started, for the sand).
declare -A after=([1]=10 [2]=4 [3]=1.5 [4]=9 [5]=1.2 [6]=6 [7]=3 [8]=5)
declare -A estimate
declare -A taken_at

shot() {   # shot STEP: a screenshot, and the offline video frame of that moment
    local step=$1 since=0 start=0 taken
    if [ "$step" -gt 1 ]; then
        since=$(step_end_time $((step - 1)))
        start=${ends[$((step - 1))]}
    fi
    taken=$(now)
    import -window "$win" "$WORK/shot$step.png" 2>/dev/null
    convert "$WORK/shot$step.png" -sample '320x240!' ppm:"$WORK/shot$step.ppm"
    estimate[$step]=$(awk "BEGIN {print int($start + ($taken - $launched - $since) * 60)}")
    taken_at[$step]=$(awk "BEGIN {print $taken - $launched}")
}

# earliest STEP: the frame counted back from the step's end to its
# screenshot; never later than the estimate counted forward.
earliest() {
    local step=$1 back
    back=$(awk "BEGIN {print int(${ends[$step]} - ($(step_end_time "$step") - ${taken_at[$step]}) * 60)}")
    [ "$back" -lt "${estimate[$step]}" ] && echo "$back" || echo "${estimate[$step]}"
}

for step in 1 2 3 4 5 6 7 8; do
    if [ "$step" -gt 1 ]; then
        wait_for 120 grep -q "step $((step - 1)) [a-z0-9]* ended" "$WORK/demo.log" ||
            { fail "step $((step - 1)) never ended"; break; }
        since=$(step_end_time $((step - 1)))
        wait=$(awk "BEGIN {w = $launched + $since + ${after[$step]} - $(now); print (w > 0 ? w : 0)}")
    else
        wait=${after[1]}
    fi
    sleep "$wait"
    shot "$step"
    case $step in
        3) xdotool key c; sleep 0.3; xdotool key c ;;   # the console twice: back as it was
        8) xdotool key 3; sleep 0.5; xdotool key 3 ;;   # accelerator mode and back
    esac
done

# It ends by itself at its last frame, with code 0.
demo_exit_code 60
[ "$code" == "0" ] || fail "end of the demo: exit code $code"
grep -q "step 8 greetings0 ended" "$WORK/demo.log" || fail "the timeline did not reach its end"
echo "played for $(awk "BEGIN {print int($(now) - $launched)}") s"

# The offline frames around each moment, compared with what was on screen.
ranges=""
declare -A from
for step in 1 2 3 4 5 6 7 8; do
    [ -n "${estimate[$step]:-}" ] || continue
    from[$step]=$(( $(earliest "$step") - 120 )); [ "${from[$step]}" -lt 1 ] && from[$step]=1
    ranges="$ranges,${from[$step]}-$(( estimate[$step] + 120 ))"
done
"$BUILD/bin/varnek-render" --data "$BUILD/data" --out "$WORK/frames" --only "${ranges#,}" >/dev/null 2>&1
for step in 1 2 3 4 5 6 7 8; do
    [ -n "${estimate[$step]:-}" ] || { fail "no screenshot of step $step"; continue; }
    frames=()
    for f in $(seq "${from[$step]}" $(( estimate[$step] + 120 ))); do
        png="$WORK/frames/frame$(printf %05d "$f").png"
        [ -f "$png" ] && frames+=("$png")
    done
    result=$("$BUILD/bin/varnek-imgmatch" "$WORK/shot$step.ppm" "${frames[@]}")
    diff=${result##* }
    best=${result% *}
    best=${best##*frame}
    echo "step $step: screenshot at offline frames $((from[$step] + 120)) to ${estimate[$step]}, closest ${best%.png} (mean difference $diff)"
    awk "BEGIN {exit !($diff < 8)}" || fail "step $step: the screenshot matches no offline frame near that moment"
done

if [ "$failures" -ne 0 ]; then
    cat "$WORK/demo.log"
    exit 1
fi
echo "xvfb playthrough: all checks passed"
