#!/usr/bin/env bash
# varnek-render --video: frames and sound straight into ffmpeg. The tunnel
# (180 frames) as a video: its frame count and rate, a sound track as long
# as the pictures, pictures like the PNG frames; --only keeps those frames
# alone in the video, with their sound; and the failures: ffmpeg missing or
# failing gives a clear error and leaves no file behind.
set -uo pipefail
BUILD="$(cd "$1" && pwd)"
RENDER="$BUILD/bin/varnek-render"
DATA="$BUILD/data"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$RENDER" --data "$DATA" --steps 3 --video "$WORK/t.mp4" --out "$WORK/png" --every 30 >"$WORK/out.txt" 2>&1 ||
    fail "render exit code $?: $(tail -3 "$WORK/out.txt")"
[ -f "$WORK/t.mp4" ] || fail "no video"
[ ! -e "$WORK/t.mp4.part" ] || fail "part file left"
# check_video FILE FRAMES: H.264 960 x 720 at 60 per second, FRAMES frames,
# AAC sound as long as the pictures.
check_video() {
    probe() { ffprobe -v error -select_streams "$1" -count_frames -show_entries "stream=$2" -of default=nw=1 "$3"; }
    python3 - "$(probe v:0 codec_name,width,height,r_frame_rate,nb_read_frames,duration "$1")" \
        "$(probe a:0 codec_name,duration "$1")" "$2" <<'PY'
import sys
v = dict(line.split("=", 1) for line in sys.argv[1].splitlines())
a = dict(line.split("=", 1) for line in sys.argv[2].splitlines())
want = int(sys.argv[3])
problems = []
shape = (v.get("codec_name"), v.get("width"), v.get("height"), v.get("r_frame_rate"))
if shape != ("h264", "960", "720", "60/1"):
    problems.append("video %s %sx%s at %s" % shape)
if abs(int(v.get("nb_read_frames", 0)) - want) > 1:
    problems.append("%s frames, not %d" % (v.get("nb_read_frames"), want))
if a.get("codec_name") != "aac":
    problems.append("sound %s" % a.get("codec_name"))
elif abs(float(a["duration"]) - float(v["duration"])) > 0.020:
    problems.append("sound %s s for %s s of pictures" % (a["duration"], v["duration"]))
print("; ".join(problems) or "ok")
PY
}
result=$(check_video "$WORK/t.mp4" 180)
[ "$result" = ok ] || fail "video: $result"

# like VIDEO N1 N2: frames N1 and N2 (from 1) of the video look like the PNG
# frames 60 and 150 of the same moments, much more than like each other's.
like() {
    local n pos=0
    for n in "$2" "$3"; do
        pos=$((pos + 1))
        ffmpeg -v error -y -i "$1" -vf "select=eq(n\,$((n - 1))),scale=320:240:flags=area" -frames:v 1 \
            -f rawvideo -pix_fmt rgb24 "$WORK/v$pos.rgb"
    done
    for n in 60 150; do
        ffmpeg -v error -y -i "$WORK/png/frame00$(printf %03d $n).png" -f rawvideo -pix_fmt rgb24 "$WORK/p$n.rgb"
    done
    python3 - "$WORK" <<'PY'
import sys
w = sys.argv[1]
def load(name):
    return open("%s/%s.rgb" % (w, name), "rb").read()
def diff(a, b):
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a) if len(a) == len(b) == 230400 else 999
same = max(diff(load("v1"), load("p60")), diff(load("v2"), load("p150")))
other = min(diff(load("v1"), load("p150")), diff(load("v2"), load("p60")))
print("ok" if same < 10 and same * 3 < other else "same moment %.2f, other moment %.2f" % (same, other))
PY
}
likeness=$(like "$WORK/t.mp4" 60 150)
[ "$likeness" = ok ] || fail "video frames against PNG frames: $likeness"

# --only with --video: the two ranges alone, 30 frames each, with their sound;
# frame 60 of the tunnel is the 30th of the video, frame 150 the 60th.
"$RENDER" --data "$DATA" --steps 3 --video "$WORK/o.mp4" --only 31-60,121-150 >"$WORK/o.txt" 2>&1 ||
    fail "--only render exit code $?: $(tail -3 "$WORK/o.txt")"
result=$(check_video "$WORK/o.mp4" 60)
[ "$result" = ok ] || fail "--only video: $result"
likeness=$(like "$WORK/o.mp4" 30 60)
[ "$likeness" = ok ] || fail "--only video frames against PNG frames: $likeness"

# --progress: into a file, a line of the bar at most at every tenth, ending
# full at 100 % with no time left and a line end; nothing of it on standard
# output.
"$RENDER" --data "$DATA" --steps 3 --progress 180 >"$WORK/p.out" 2>"$WORK/p.err" || fail "--progress: exit code $?"
last=$(tr '\r' '\n' <"$WORK/p.err" | grep '^rendering' | tail -1)
[ "$last" = "rendering [##############################] 100%  0:00 left " ] || fail "--progress: last bar '$last'"
[ "$(tail -c 1 "$WORK/p.err" | od -An -c | tr -d ' ')" = '\n' ] || fail "--progress: no line end after the bar"
grep -q 'rendering \[' "$WORK/p.out" && fail "--progress: the bar is on standard output"
bars=$(grep -c '^rendering \[' "$WORK/p.err")
[ "$bars" -ge 1 ] && [ "$bars" -le 11 ] || fail "--progress: $bars lines of the bar in a file, expected 1 to 11"
grep -q $'\r' "$WORK/p.err" && fail "--progress: a bar redrawn in place in a file"

# ffmpeg missing: a clear error at once, no file.
mkdir -p "$WORK/empty"
PATH="$WORK/empty" "$RENDER" --data "$DATA" --steps 3 --video "$WORK/m.mp4" >"$WORK/m.txt" 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "ffmpeg missing: exit code $rc"
grep -q "ffmpeg is not installed" "$WORK/m.txt" || fail "ffmpeg missing: $(cat "$WORK/m.txt")"
[ ! -e "$WORK/m.mp4" ] && [ ! -e "$WORK/m.mp4.part" ] || fail "ffmpeg missing: a file was left"

# ffmpeg failing half-way (it writes some of the file, then dies): no file
# that passes for a video, and the reason on standard error.
mkdir -p "$WORK/bad"
cat >"$WORK/bad/ffmpeg" <<'SH'
#!/bin/sh
for last; do :; done
head -c 100000 <&3 >"$last"
exit 1
SH
chmod +x "$WORK/bad/ffmpeg"
PATH="$WORK/bad:$PATH" "$RENDER" --data "$DATA" --steps 3 --video "$WORK/f.mp4" >"$WORK/f.txt" 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "ffmpeg failing: exit code $rc"
grep -q "ffmpeg" "$WORK/f.txt" || fail "ffmpeg failing: no reason given: $(cat "$WORK/f.txt")"
[ ! -e "$WORK/f.mp4" ] && [ ! -e "$WORK/f.mp4.part" ] || fail "ffmpeg failing: a file was left"

[ "$failures" -eq 0 ] || exit 1
echo "video: all checks passed"
