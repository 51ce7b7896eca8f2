#!/usr/bin/env bash
# Builds the default preset and runs vantrel-bench with repetitions, then
# prints one table of every speed and memory figure against its target.
# Exits 1 when a measured figure misses its target.
#
#   ./bench.sh            # 5 repetitions of each benchmark
#   ./bench.sh 10         # more repetitions
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
vantrel_install_missing

repetitions=${1:-5}
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target vantrel-bench vantrel >/dev/null

export QT_QPA_PLATFORM=offscreen
out=build/default/bench.json
log=build/default/bench.log
if ! build/default/bench/vantrel-bench --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_out="$out" --benchmark_out_format=json >"$log" 2>&1; then
    cat "$log" >&2
    exit 2
fi
echo "vantrel-bench, median of $repetitions repetitions; $(nproc) cores," \
     "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1), Debian $(cat /etc/debian_version)"
python3 scripts/bench_table.py "$out"
