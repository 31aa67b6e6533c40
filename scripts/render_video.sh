#!/usr/bin/env bash
# Render the whole demo offline into OUT_DIR: with ffmpeg installed, the
# frames and the sound go straight into OUT_DIR/varnek.mp4 (no PNG on disk);
# without it, PNG frames and a WAV file. A progress bar shows while it
# renders; the renderer's own report (step lines, totals, the mesh reader's
# trace) goes to OUT_DIR/render.log.
#   scripts/render_video.sh OUT_DIR [varnek-render options...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:-$ROOT/build/video}"
shift || true
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
RENDER=("$ROOT/build/bin/varnek-render" --data "$ROOT/build/data")
LOG="$OUT/render.log"

# A first run without output, a few seconds: how many video frames the
# demo makes, for the progress bar.
if ! "${RENDER[@]}" "$@" >"$LOG" 2>&1; then
    echo "varnek-render failed; its report is in $LOG:" >&2
    tail -5 "$LOG" >&2
    exit 1
fi
frames=$(sed -n 's/^video: \([0-9]*\) frames.*/\1/p' "$LOG")

if command -v ffmpeg >/dev/null 2>&1; then
    outputs=(--video "$OUT/varnek.mp4")
else
    mkdir -p "$OUT/frames"
    rm -f "$OUT"/frames/frame*.png
    outputs=(--out "$OUT/frames" --wav "$OUT/varnek.wav")
fi
if ! "${RENDER[@]}" "${outputs[@]}" --progress "${frames:-1}" "$@" >"$LOG"; then
    echo "varnek-render failed; its report is in $LOG:" >&2
    tail -5 "$LOG" >&2
    exit 1
fi
length=$(( ${frames:-0} / 60 ))
if command -v ffmpeg >/dev/null 2>&1; then
    echo "The demo's video ($((length / 60)):$(printf %02d $((length % 60)))) is $OUT/varnek.mp4: play it with ffplay $OUT/varnek.mp4 (or any video player)."
else
    echo "ffmpeg is not installed: the demo's frames are in $OUT/frames/, its sound in $OUT/varnek.wav."
fi
