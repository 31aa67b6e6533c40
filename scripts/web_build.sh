#!/usr/bin/env bash
# Build the demo for a web page into build-web/site/: the data files first
# (the native build's varnek-gen makes them; the page preloads them), then
# the emscripten build of the engine on the web backend, the page beside it.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
cd "$VARNEK_ROOT"

install_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev libbenchmark-dev "${WEB_PACKAGES[@]}"
BUILD_TARGET=data build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Debian's emscripten runs its optimizer on node with Debian's acorn module,
# which a node from elsewhere does not look for by itself.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
if [ ! -f build-web/build.ninja ]; then
    emcmake cmake -S "$VARNEK_ROOT" -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVARNEK_WEB_DATA="$VARNEK_ROOT/build/data" >/dev/null
fi
cmake --build build-web -j"$(nproc)"
echo "web build: $VARNEK_ROOT/build-web/site/"
