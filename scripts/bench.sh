#!/usr/bin/env bash
# Run every benchmark program and print a Markdown table of the medians
# (CPU time, so other load on the machine counts less).
#   scripts/bench.sh [BUILD_DIR] [REPETITIONS]
set -euo pipefail
BUILD="${1:-build}"
REPS="${2:-5}"
echo "| Benchmark | median CPU per run | runs per second | counters |"
echo "|---|---|---|---|"
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
for bench in "$BUILD"/bin/bench_*; do
    # The results go to a file: some programs print progress of their own.
    "$bench" --benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=true \
        --benchmark_out="$json" --benchmark_out_format=json >/dev/null 2>&1
    python3 -c '
import json, sys
data = json.load(sys.stdin)
skip = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations",
        "real_time", "cpu_time", "time_unit", "family_index", "per_family_instance_index", "aggregate_name",
        "aggregate_unit"}
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
for b in data["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    ms = b["cpu_time"] * scale[b["time_unit"]]
    counters = ", ".join("%s %.4g" % (k, v) for k, v in b.items() if k not in skip and isinstance(v, (int, float)))
    print("| %s | %.3f ms | %.0f | %s |" % (b["run_name"], ms, 1000.0 / ms if ms > 0 else 0, counters))
' <"$json"
done
