#!/usr/bin/env bash
# Runs each fuzzer for the given seconds (default 30) on its seed corpus and
# its saved regressions. Build first: cmake --preset fuzz && cmake --build
# --preset fuzz. A crash leaves its input in build/fuzz/artifacts; save it in
# fuzz/regressions/<target>/ once mended.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
mkdir -p build/fuzz/artifacts
for target in parse actions touchstone output record; do
    work=build/fuzz/corpus-$target
    log=build/fuzz/$target.log
    mkdir -p "$work"
    # The engine's output is wide: a short sweep with a pattern cut needs more.
    max_len=4096
    if [[ $target == output ]]; then max_len=8192; fi
    echo "fuzzing $target for ${seconds}s"
    if ! build/fuzz/fuzz/${target}_fuzzer -max_total_time="$seconds" -max_len="$max_len" \
            -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 \
            "$work" fuzz/corpus/$target fuzz/regressions/$target >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzzer $target failed; its input is in build/fuzz/artifacts" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log"
done
