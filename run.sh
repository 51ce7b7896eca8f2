#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
vantrel_install_missing

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/default/app/vantrel "$@"
