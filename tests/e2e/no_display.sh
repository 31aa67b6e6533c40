#!/usr/bin/env bash
# The demo where no window can be shown: no DISPLAY or WAYLAND_DISPLAY at all,
# or a DISPLAY whose server is not there. Either way it ends at once with
# exit code 1 and one line that says so and what to do instead.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
# SDL's start-up without a display leaves D-Bus's memory behind (a sanitizer
# build's leak check would count it as ours).
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/.." && pwd)/lsan_outside.supp"
fail() { echo "FAIL: $CASE: $*"; failures=$((failures + 1)); }

n=90
while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
for CASE in "unset" ":$n"; do
    if [ "$CASE" = unset ]; then
        (cd "$BUILD/data" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
            timeout 60 "$BUILD/bin/varnek") >"$WORK/out" 2>"$WORK/err" </dev/null
    else
        (cd "$BUILD/data" && exec env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY="$CASE" \
            timeout 60 "$BUILD/bin/varnek") >"$WORK/out" 2>"$WORK/err" </dev/null
    fi
    rc=$?
    [ "$rc" = 1 ] || fail "exit code $rc, expected 1"
    lines=$(grep -c '^varnek: no display' "$WORK/err")
    [ "$lines" = 1 ] || fail "$lines lines saying there is no display, expected 1"
    line=$(grep '^varnek: no display' "$WORK/err")
    case "$line" in
    *./run.sh*varnek-render*) ;;
    *) fail "the line does not name ./run.sh and varnek-render: '$line'" ;;
    esac
    if [ "$CASE" = unset ]; then want="DISPLAY and WAYLAND_DISPLAY are not set"; else want="nothing answers at DISPLAY=$CASE"; fi
    grep -qF "($want)" "$WORK/err" || fail "no reason ($want): '$line'"
    grep -q 'window open' "$WORK/out" && fail "it says a window opened"
    echo "DISPLAY $CASE: exit $rc: $line"
done

if [ "$failures" -ne 0 ]; then
    cat "$WORK/out" "$WORK/err"
    exit 1
fi
echo "no display: all checks passed"
