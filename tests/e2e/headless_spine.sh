#!/usr/bin/env bash
# The whole demo on the headless backend: the timeline's steps and frame
# counts, scripted keys, the stop request, Esc, and identical output for
# identical runs.
set -uo pipefail
BUILD="$1"
RENDER="$BUILD/bin/varnek-render"
DATA="$BUILD/data"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { [ "$2" == "$3" ] || fail "$1: expected '$3', got '$2'"; }

run() {   # run NAME [options...]: output in $WORK/NAME.out, exit code in $WORK/NAME.rc
    local name="$1"; shift
    "$RENDER" --data "$DATA" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
    echo $? >"$WORK/$name.rc"
}
# Report lines start lines of their own, whatever the demo printed before.
frames() { grep -a "^step $2 [a-z0-9]*: [0-9]* frames" "$WORK/$1.out" | sed 's/.*: \([0-9]*\) frames.*/\1/'; }
field() { grep -a "^$2" "$WORK/$1.out" | head -1; }

# 1. No keys: every step in order with its frame count, and the sound.
run plain --wav "$WORK/plain.wav"
check "plain exit code" "$(cat "$WORK/plain.rc")" 0
check "step order" "$(grep -a '^step [0-9] [a-z0-9]*:' "$WORK/plain.out" | cut -d: -f1 | tr '\n' ' ')" \
    "step 1 sand step 2 credits step 3 tunnel step 4 scene3ds step 5 raytracer step 6 flythrough step 7 greetings1 step 8 greetings0 "
check "credits frames" "$(frames plain 2)" 599
check "tunnel frames" "$(frames plain 3)" 180
check "ray tracer frames (140 + 10 fading)" "$(frames plain 5)" 150
check "fly-through frames (title + 333)" "$(frames plain 6)" 334
check "greetings mode 1 frames" "$(frames plain 7)" 480
check "greetings mode 0 frames" "$(frames plain 8)" 920
sand=$(frames plain 1)
scene=$(frames plain 4)
[ "${sand:-0}" -gt 1800 ] || fail "sand runs 30 s or more, got ${sand:-none} frames"
[ "${scene:-0}" -gt 1800 ] || fail "3DS scene runs over 30 s, got ${scene:-none} frames"
sum=$((sand + 599 + 180 + scene + 150 + 334 + 480 + 920))
check "total" "$(field plain total:)" "total: $sum frames"
check "final state" "$(field plain state:)" "state: console 0, full screen 1, accelerator 0, running 1"

# The sound lasts as long as the pictures (one video frame per 1/60 s), has
# no stretch of digital silence and no run of clipped samples.
video=$(field plain video: | sed 's/video: \([0-9]*\).*/\1/')
sound=$(python3 - "$WORK/plain.wav" "${video:-0}" <<'PY'
import array, sys, wave
w = wave.open(sys.argv[1])
rate, channels, frames = w.getframerate(), w.getnchannels(), w.getnframes()
s = array.array("h", w.readframes(frames))
expected = int(sys.argv[2]) * rate / 60
silent = longest = clipped = run = 0
for i in range(0, len(s), channels):
    if i >= rate * channels // 2:   # the song's own start is a little quiet
        silent = silent + 1 if all(v == 0 for v in s[i:i + channels]) else 0
        longest = max(longest, silent)
    run = run + 1 if any(abs(v) >= 32767 for v in s[i:i + channels]) else 0
    clipped = max(clipped, run)
problems = []
if abs(frames - expected) > rate / 60:
    problems.append("sound %.3f s for %.3f s of pictures" % (frames / rate, expected / rate))
if longest > rate // 4:
    problems.append("%.3f s of digital silence" % (longest / rate))
if clipped > 2:
    problems.append("%d clipped samples in a row" % clipped)
print("; ".join(problems) if problems else "ok")
PY
)
check "sound of the whole demo" "$sound" ok

# 2. The same run again gives the same pictures and the same sound.
run again --wav "$WORK/again.wav"
check "identical frames" "$(field again 'frames hash')" "$(field plain 'frames hash')"
cmp -s "$WORK/plain.wav" "$WORK/again.wav" || fail "two runs gave different sound"

# 3. Keys: console, window, the ignored letters, accelerator mode for 50
#    frames in the credits and 100 in the 3DS scene (whose clock must keep
#    moving), Space in the fly-through, then 'c' ignored.
fly=$((sand + 599 + 180 + scene + 150))
cat >"$WORK/keys.txt" <<KEYS
$((sand + 10)) c
$((sand + 20)) alt+enter
$((sand + 25)) p
$((sand + 26)) r
$((sand + 27)) n
$((sand + 28)) C
$((sand + 100)) 3
$((sand + 150)) 3
$((sand + 599 + 180 + 300)) 3
$((sand + 599 + 180 + 400)) 3
$((fly + 50)) space
$((fly + 120)) c
$((fly + 130)) alt+enter
KEYS
run keys --keys "$WORK/keys.txt"
check "keys exit code" "$(cat "$WORK/keys.rc")" 0
check "credits presented outside accelerator mode" "$(frames keys 2)" 549
check "3DS scene presented outside accelerator mode" "$(frames keys 4)" $((scene - 100))
f6=$(frames keys 6)
[ "${f6:-999}" -lt 100 ] || fail "Space ends the fly-through early, got ${f6:-none} frames"
check "greetings after the skip" "$(frames keys 7)/$(frames keys 8)" "480/920"
check "state after keys" "$(field keys state:)" "state: console 1, full screen 0, accelerator 0, running 0"

# 4. Closing the window during the sand stops it at the next poll and ends
#    the timeline: not one frame more, no later step, and the engine thread
#    ends within the close's wait (which says so when it runs out).
echo "100 close" >"$WORK/close.txt"
run close --keys "$WORK/close.txt"
check "close exit code" "$(cat "$WORK/close.rc")" 0
s1=$(frames close 1)
[ "${s1:-0}" -ge 100 ] && [ "${s1:-999}" -le 102 ] || fail "sand ends at the next poll, got ${s1:-none} frames"
check "total after the close" "$(field close total:)" "total: ${s1:-none} frames"
check "steps after the close" "$(grep -ac '^step [2-8] ' "$WORK/close.out")" 0
check "state after the close" "$(field close state:)" "state: console 0, full screen 1, accelerator 0, running 0"
grep -q "did not end" "$WORK/close.err" && fail "the close ran out its wait: $(cat "$WORK/close.err")"

# 5. Esc ends the process at once with code 0.
echo "50 esc" >"$WORK/esc.txt"
run esc --keys "$WORK/esc.txt"
check "esc exit code" "$(cat "$WORK/esc.rc")" 0
check "esc total" "$(field esc total:)" "total: 50 frames"

if [ "$failures" -ne 0 ]; then
    echo "--- plain output"; cat "$WORK/plain.out"
    exit 1
fi
echo "headless spine: all checks passed"
