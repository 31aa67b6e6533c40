#!/usr/bin/env bash
# Build and run every test: the normal build, the web build in a browser,
# then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
cd "$VARNEK_ROOT"

install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

echo "== build (build/)"
build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== tests"
# A test that fails is run once more before it counts: the real-window tests
# share the machine with everything else a CI host does.
(cd build && ctest --output-on-failure -j2 --repeat until-pass:2)

echo "== web build (build-web/) and the demo in headless Chromium"
scripts/web_build.sh
# One more run before it counts, as for the tests above.
python3 tests/web/playthrough.py build build-web/site || python3 tests/web/playthrough.py build build-web/site

echo "== build with sanitizers (build-asan/)"
build_tree build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEK_SANITIZE=ON -DVARNEK_BENCH=OFF
echo "== tests with sanitizers"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j2 -LE xvfb --repeat until-pass:2)

echo "== fuzzing every reader, 3 s a target (build-fuzz/)"
fuzz/run.sh 3
