#!/usr/bin/env bash
# Fuzzes every reader of outside data with libFuzzer under AddressSanitizer
# and UndefinedBehaviorSanitizer: builds build-fuzz/ with clang, then runs
# each target in turn, one process, for SECONDS_PER_TARGET seconds.
#
#   fuzz/run.sh [SECONDS_PER_TARGET]     default 3: the short run of test.sh
#   fuzz/run.sh 300                      the long run, five minutes a target
#   FUZZ_TARGETS="mod pcx" fuzz/run.sh 60   only some targets
#
# Fails when any target finds a crash, a leak, an input slower than 10 s or
# more than 2 GB of memory; the input is kept in build-fuzz/fuzz/artifacts/
# and replays with build-fuzz/bin/fuzz_<name> <file>. The seeds are rewritten
# by the build into build-fuzz/fuzz/seeds/<name>. Runs of a minute or more a
# target grow a corpus from run to run in build-fuzz/fuzz/corpus/<name>;
# shorter ones start from the seeds alone, so that their time stays bounded.
set -euo pipefail
source "$(dirname "$0")/../scripts/setup.sh"
cd "$VARNEK_ROOT"

seconds="${1:-3}"
targets="${FUZZ_TARGETS:-mod s3m xm it itsample song pcx sand_pcx bmp mac 3ds ini font sand_script}"

install_packages "${BUILD_PACKAGES[@]}" googletest libgtest-dev clang libclang-rt-14-dev

build="$VARNEK_ROOT/build-fuzz"
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$VARNEK_ROOT" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEK_SANITIZE=ON -DVARNEK_FUZZ=ON -DVARNEK_BENCH=OFF >/dev/null
fi
echo "== build (build-fuzz/)"
cmake --build "$build" --target fuzz -j"$(nproc)"

work="$build/fuzz"
mkdir -p "$work/artifacts"
failed=()
for name in $targets; do
    if [ "$seconds" -ge 60 ]; then
        corpus="$work/corpus/$name"
    else
        corpus="$work/short/$name"
        rm -rf "$corpus"
    fi
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
             -close_fd_mask=3 -artifact_prefix="$work/artifacts/$name-")
    case "$name" in
        mod) options+=(-dict="$VARNEK_ROOT/fuzz/mod.dict") ;;
        s3m) options+=(-dict="$VARNEK_ROOT/fuzz/s3m.dict") ;;
        ini|font) options+=(-dict="$VARNEK_ROOT/fuzz/font.dict") ;;
        sand_script) options+=(-dict="$VARNEK_ROOT/fuzz/sand_script.dict") ;;
    esac
    echo "== fuzz_$name, ${seconds} s"
    log="$work/$name.log"
    if UBSAN_OPTIONS=print_stacktrace=1 "$build/bin/fuzz_$name" "${options[@]}" "$corpus" "$work/seeds/$name" \
        >"$log" 2>&1; then
        grep -E "^stat::number_of_executed_units|^Done " "$log" || true
    else
        tail -n 60 "$log"
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found problems in: ${failed[*]} (inputs in $work/artifacts)"
    exit 1
fi
echo "fuzzing: no problem found in $targets"
