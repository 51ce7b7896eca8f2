#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer build, runs
# every test of both, builds the core for Windows and compares it under Wine
# with the native one, then runs each fuzz target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
vantrel_install_missing
vantrel_ensure_comma_locale

export QT_QPA_PLATFORM=offscreen
export VANTREL_REQUIRE_COMMA_LOCALE=1
jobs=$(nproc)

for preset in default asan; do
    echo "== $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "== $preset tests"
    ctest --preset "$preset" -j "$jobs"
done

# Installs MinGW-w64 and Wine itself, so that the time it prints is all
# that the Windows check adds.
scripts/windows-core.sh

echo "== fuzz targets"
scripts/fuzz.sh 10
