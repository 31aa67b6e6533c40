#!/usr/bin/env bash
# Build the demo (only the programs it needs; ./test.sh builds the rest),
# generate the data, and run the demo. Without a display ffmpeg is installed
# and the demo is rendered offline to build/video/varnek.mp4 instead, unless
# that video is newer than the renderer and the data. With --web: build the
# web version into build-web/ and serve it on http://localhost:8000/.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
cd "$VARNEK_ROOT"

if [ "${1:-}" = "--web" ]; then
    scripts/web_build.sh
    exec python3 scripts/serve_web.py build-web/site 8000
fi

install_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev libbenchmark-dev
BUILD_TARGET="varnek varnek-render data" build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && { [ -n "${WAYLAND_DISPLAY:-}" ] || xset q >/dev/null 2>&1 || xdpyinfo >/dev/null 2>&1; }; then
    exec build/bin/varnek "$@"
fi
VIDEO=build/video/varnek.mp4
if [ -f "$VIDEO" ] && [ "$VIDEO" -nt build/bin/varnek-render ] && [ "$VIDEO" -nt build/data/.generated ]; then
    echo "No display here. The demo's video is up to date: $VIDEO; play it with ffplay $VIDEO (or any video player)."
    exit 0
fi
echo "No display here: rendering the demo offline to $VIDEO instead (a few minutes)."
install_packages ffmpeg
exec scripts/render_video.sh build/video
