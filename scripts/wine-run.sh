#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, headless and
# quiet (see wine-env.sh); the windows-core preset runs its tests through
# this. The exit status is the program's.
#
#   scripts/wine-run.sh build/windows-core/tools/vantrel-core-check.exe --count 10
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
vantrel_wine_prefix
exec "$vantrel_wine" "$@"
