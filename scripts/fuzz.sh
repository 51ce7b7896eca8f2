#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for SECONDS each (default
# 10) on a fresh copy of its committed seed corpus, so the corpus in the tree
# never changes. Exits non-zero when a target crashes, trips a sanitizer or a
# check, or hangs; the input that did it is left in build/fuzz/artifacts/.
#
#   scripts/fuzz.sh             # 10 s each, as test.sh runs it
#   scripts/fuzz.sh 1800        # a longer run: 30 minutes each
#   scripts/fuzz.sh 60 fuzz_plan
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shift || true
if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for dir in fuzz/corpus/*/; do
        targets+=("$(basename "$dir")")
    done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"

work=build/fuzz/run
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
    rm -rf "${work:?}/$target"
    mkdir -p "$work/$target"
    cp fuzz/corpus/"$target"/* "$work/$target/"
    log="build/fuzz/$target.log"
    echo "== fuzz $target for ${seconds}s"
    # -timeout: one input taking longer than 10 s counts as a hang.
    if build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$work/$target" >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added):' "$log" | tr '\n' ' '
        echo
    else
        status=1
        echo "!! $target failed; last lines of $log:"
        tail -n 40 "$log"
    fi
done
exit "$status"
