#!/usr/bin/env bash
# Render the whole demo offline into OUT_DIR: with ffmpeg installed, the
# frames and the sound go straight into OUT_DIR/varnek.mp4 (no PNG on disk);
# without it, PNG frames and a WAV file.
#   scripts/render_video.sh OUT_DIR [varnek-render options...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:-$ROOT/build/video}"
shift || true
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
if command -v ffmpeg >/dev/null 2>&1; then
    "$ROOT/build/bin/varnek-render" --data "$ROOT/build/data" --video "$OUT/varnek.mp4" "$@"
    echo "video: $OUT/varnek.mp4"
else
    mkdir -p "$OUT/frames"
    rm -f "$OUT"/frames/frame*.png
    "$ROOT/build/bin/varnek-render" --data "$ROOT/build/data" --out "$OUT/frames" --wav "$OUT/varnek.wav" "$@"
    echo "ffmpeg is not installed: frames in $OUT/frames/, sound in $OUT/varnek.wav"
fi
