#!/usr/bin/env bash
# What a newcomer may meet when starting the real demo:
# 1. copied where no data is: the box "Error al cargar la musica" comes
#    first; once it is answered the window stays black until closed; then the
#    program names on standard error every data file it missed and every
#    folder it looked in, and ends with exit code 1;
# 2. no sound device: one line says the demo plays without sound, and it does.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
WORK="$(mktemp -d)"
source "$(dirname "$0")/xserver.bash"

mkdir -p "$WORK/alone/bin" "$WORK/alone/cwd"
cp "$BUILD/bin/varnek" "$WORK/alone/bin/"
ALONE="$(realpath "$WORK/alone")"
(cd "$WORK/alone/cwd" && SDL_AUDIODRIVER=dummy exec ../bin/varnek) >"$WORK/out.log" 2>"$WORK/err.log" &
demo_pid=$!

# SDL names its box in a way xdotool's search does not read; xwininfo does.
box_id() { xwininfo -root -tree | awk '/"Error en musica"/ {print $1; exit}'; }
wait_for 30 sh -c "xwininfo -root -tree | grep -q '\"Error en musica\"'" || fail "no message box"
box=$(box_id)
if [ -n "$box" ]; then
    grep -q "missing data file" "$WORK/err.log" && fail "the missing files were named before the window closed"
    wait_for 60 focus_taken "$box" || fail "the message box never took the focus"
    xdotool key Return
    wait_for 10 sh -c '[ -z "$(xwininfo -root -tree | grep "\"Error en musica\"")" ]' || fail "the message box stays"
fi
wait_for 10 sh -c 'xdotool search --name "Torven" >/dev/null' || fail "no demo window"
win=$(xdotool search --name "Torven" | head -1)
kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended before its window was closed"
[ -n "$win" ] && xdotool windowclose "$win"
demo_exit_code 10
[ "$code" == "1" ] || fail "exit code $code, expected 1"
looked="(looked in $ALONE/cwd, $ALONE/data, $ALONE/share/varnek)"
for name in phased.mod asdfasdf.jdt asdf.jdt zant/theend.pcx; do
    grep -qxF "varnek: missing data file $name $looked" "$WORK/err.log" || fail "no line for $name $looked"
done
grep -q '^varnek: no data folder found' "$WORK/err.log" || fail "no line saying no data folder was found"
grep -q 'without sound' "$WORK/err.log" && fail "a sound device that works is called missing"

# 2. An audio driver that is not there stands for a machine without sound.
(cd "$BUILD/data" && SDL_AUDIODRIVER=none_such exec "$BUILD/bin/varnek") >"$WORK/nosound_out.log" 2>"$WORK/nosound_err.log" &
demo_pid=$!
wait_for 30 grep -q "window open" "$WORK/nosound_out.log" || fail "no sound: no window"
wait_for 30 sh -c 'xdotool search --name "Torven" >/dev/null' || fail "no sound: window not found"
win=$(xdotool search --name "Torven" | head -1)
# The demo plays: its window shows a picture that is not black.
picture() {
    import -window "$win" "$WORK/nosound.png" 2>/dev/null || return 1
    awk "BEGIN {exit !($(convert "$WORK/nosound.png" -colorspace gray -format "%[fx:mean]" info:) > 0.05)}"
}
wait_for 30 picture || fail "no sound: no picture"
lines=$(grep -c 'plays without sound' "$WORK/nosound_err.log")
[ "$lines" = 1 ] || fail "no sound: $lines lines saying it plays without sound, expected 1"
grep -qx 'varnek: no sound device: the demo plays without sound' "$WORK/nosound_err.log" || fail "no sound: no such line"
[ -n "$win" ] && { wait_for 60 focus_taken "$win" || fail "no sound: the window never took the focus"; }
xdotool key Escape
demo_exit_code 10
[ "$code" == "0" ] || fail "no sound: Esc gave exit code $code"

if [ "$failures" -ne 0 ]; then
    cat "$WORK"/*.log
    exit 1
fi
echo "xvfb start problems: all checks passed"
