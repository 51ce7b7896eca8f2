#!/usr/bin/env bash
# The project's own Wine prefix (build/wine-prefix), headless and quiet.
# Sourced by wine-run.sh and windows-core.sh; vantrel_wine_prefix makes the
# prefix when it is missing.
set -euo pipefail

vantrel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$vantrel_root/build/wine-prefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their install would ask in a window.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Console programs only: no window may open, with or without a display.
unset DISPLAY WAYLAND_DISPLAY

vantrel_wine=$(command -v wine || command -v wine64 || true)
vantrel_wineserver=$(command -v wineserver || true)

# Makes the prefix on first use, under a lock so that tests started side by
# side make it once; a prefix left half made by an interrupted run is made
# anew. What Wine says meanwhile goes to build/wine-prefix.log.
vantrel_wine_prefix() {
    if [ -z "$vantrel_wine" ] || [ -z "$vantrel_wineserver" ]; then
        echo "Wine is missing; ./test.sh installs it (package wine64)" >&2
        return 127
    fi
    local ready="$WINEPREFIX/.vantrel-ready"
    [ -e "$ready" ] && return 0
    mkdir -p "$vantrel_root/build"
    local log="$vantrel_root/build/wine-prefix.log"
    (
        flock 9
        [ -e "$ready" ] && exit 0
        rm -rf "$WINEPREFIX"
        # The registry reaches the disk when the server ends, a few seconds
        # later; a prefix whose registry never got there is mended by Wine
        # itself on its next start, so there is no need to wait for it.
        if ! "$vantrel_wine" wineboot --init >"$log" 2>&1; then
            echo "Making the Wine prefix $WINEPREFIX failed; the last lines of $log:" >&2
            tail -n 20 "$log" >&2
            exit 1
        fi
        touch "$ready"
    ) 9>"$vantrel_root/build/wine-prefix.lock"
}
