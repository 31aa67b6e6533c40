#!/usr/bin/env bash
# A scripted close must give the same run every time, whatever the
# scheduling: the engine thread stops at the same frame and ends within the
# close's wait. Twenty runs of the fly-through and the first greetings,
# closed at frame 300, compared report by report and sound by sound.
set -uo pipefail
BUILD="$1"
RENDER="$BUILD/bin/varnek-render"
DATA="$BUILD/data"
RUNS="${2:-20}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
echo "300 close" >"$WORK/keys.txt"
failures=0
for i in $(seq 1 "$RUNS"); do
    "$RENDER" --data "$DATA" --steps 6,7 --keys "$WORK/keys.txt" --wav "$WORK/run.wav" >"$WORK/run$i.out" 2>&1
    rc=$?
    [ "$rc" -eq 0 ] || { echo "FAIL: run $i exit code $rc"; failures=$((failures + 1)); }
    sha256sum <"$WORK/run.wav" >"$WORK/run$i.sum"
    if [ "$i" -gt 1 ]; then
        cmp -s "$WORK/run1.out" "$WORK/run$i.out" || {
            echo "FAIL: run $i reported otherwise than run 1"; diff "$WORK/run1.out" "$WORK/run$i.out" | head -20
            failures=$((failures + 1)); }
        cmp -s "$WORK/run1.sum" "$WORK/run$i.sum" || { echo "FAIL: run $i played other sound"; failures=$((failures + 1)); }
    fi
done
# The fly-through stops at the close and the timeline ends there: the
# greetings never start, and the wait does not run out.
grep -q '^step 6 flythrough: 300 frames' "$WORK/run1.out" || { echo "FAIL: no 300-frame fly-through"; failures=$((failures + 1)); }
if grep -q '^step 7' "$WORK/run1.out"; then
    echo "FAIL: the greetings ran after the window had closed"; failures=$((failures + 1))
fi
grep -q '^total: 300 frames' "$WORK/run1.out" || { echo "FAIL: expected 300 frames:"; grep total "$WORK/run1.out"; failures=$((failures + 1)); }
if grep -q "did not end" "$WORK/run1.out"; then
    echo "FAIL: the close ran out its wait"; failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || { cat "$WORK/run1.out"; exit 1; }
echo "scripted close: $RUNS identical runs"
