#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
#   ./run.sh                   the control panel
#   ./run.sh --virtual-board   the control panel with a virtual board beside it;
#                              type the board's device path into the COM box
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
vantrel_install_missing

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

if [ "${1:-}" = "--virtual-board" ]; then
    shift
    board_out=$(mktemp)
    build/default/tools/vantrel-board --log "$@" >"$board_out" 2>&1 &
    board_pid=$!
    trap 'kill "$board_pid" 2>/dev/null; rm -f "$board_out"' EXIT
    for _ in $(seq 50); do
        grep -q '^Board ready on ' "$board_out" && break
        sleep 0.1
    done
    head -n 1 "$board_out"
    echo "(type that path into the COM box and press Set; the board's log: $board_out)"
    build/default/app/vantrel
else
    exec build/default/app/vantrel "$@"
fi
