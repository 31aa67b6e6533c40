#!/usr/bin/env bash
# Render the whole demo offline into OUT_DIR: a video with sound through
# ffmpeg when it is installed, otherwise PNG frames and a WAV file.
#   scripts/render_video.sh OUT_DIR [varnek-render options...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${1:-$ROOT/build/video}"
shift || true
mkdir -p "$OUT/frames"
OUT="$(cd "$OUT" && pwd)"
rm -f "$OUT"/frames/frame*.png
"$ROOT/build/bin/varnek-render" --data "$ROOT/build/data" --out "$OUT/frames" --wav "$OUT/varnek.wav" "$@"
if command -v ffmpeg >/dev/null 2>&1; then
    ffmpeg -loglevel error -y -framerate 60 -i "$OUT/frames/frame%05d.png" -i "$OUT/varnek.wav" \
        -c:v libx264 -pix_fmt yuv420p -vf "scale=960:720:flags=neighbor" -c:a aac -b:a 192k \
        -shortest "$OUT/varnek.mp4"
    rm -rf "$OUT/frames"
    echo "video: $OUT/varnek.mp4"
else
    echo "ffmpeg is not installed: frames in $OUT/frames/, sound in $OUT/varnek.wav"
fi
