#!/usr/bin/env bash
# Shared by run.sh and test.sh: install what is missing (Debian 12, as root),
# then configure and build one build tree.
set -euo pipefail

VARNEK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# install_packages PKG...: apt-get install the ones not installed yet.
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libsdl2-dev libx11-dev libpng-dev)
TEST_PACKAGES=(python3 googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
               xvfb xdotool openbox x11-utils imagemagick ffmpeg)
# The web build and its test in a real browser.
WEB_PACKAGES=(emscripten chromium)

# build_tree DIR [cmake options...]: configure once, build incrementally
# (only the targets BUILD_TARGET names, separated by spaces, when set).
build_tree() {
    local dir="$1"
    shift
    local launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$VARNEK_ROOT" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
    fi
    local targets=()
    [ -n "${BUILD_TARGET:-}" ] && read -ra targets <<<"$BUILD_TARGET"
    cmake --build "$dir" -j"$(nproc)" ${BUILD_TARGET:+--target "${targets[@]}"}
}
