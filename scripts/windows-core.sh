#!/usr/bin/env bash
# The Qt-free core on Windows, as ./test.sh runs it: installs MinGW-w64 and
# Wine when missing, builds the windows-core preset, runs vantrel-core-check
# natively and under Wine with the same options and compares the two outputs
# byte for byte, and the register files both wrote, replays the fuzz corpora
# under Wine, and prints the time all this took. The native
# vantrel-core-check comes from the default build.
#
#   scripts/windows-core.sh                      # 2000 cases of seed 1
#   scripts/windows-core.sh --seed 7 --count 20000
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s%N)
source scripts/setup.sh
vantrel_install_missing "${vantrel_windows_packages[@]}"
source scripts/wine-env.sh
jobs=$(nproc)

# MinGW's long double is the x87's 80 bits, as on Linux, so the comparison
# below cannot see one in the core; an MSVC build's is a plain double, and
# would plan differently. The core keeps to double.
if grep -rn --include='*.h' --include='*.cpp' 'long double' calc eeprom link/protocol >&2; then
    echo "!! long double in the core: a build with MSVC would compute there with another precision" >&2
    exit 1
fi

echo "== windows-core build"
cmake --preset windows-core >/dev/null
cmake --build --preset windows-core -j "$jobs"
[ -f build/default/build.ninja ] || cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs" --target vantrel-core-check

vantrel_wine_prefix
# One Wine server for every program below rather than one started for each,
# ended with this script. Right after the prefix was made its own server is
# still there, refuses a second one, and serves instead.
"$vantrel_wineserver" -p 2>/dev/null || true
trap '"$vantrel_wineserver" -k 2>/dev/null || true' EXIT

echo "== vantrel-core-check${*:+ $*}, native and Windows under Wine"
out=build/windows-core
native=$out/core-check-native.txt
windows=$out/core-check-windows.txt
rm -f "$out"/register-file-native.txt "$out"/register-file-windows.txt
# Both run under a locale whose decimal point is a comma: a number written
# through the C locale functions then differs wherever only one platform
# takes its locale from the environment (a Qt program does on Unix, never
# on Windows). Wine takes its Windows locale from the same variable.
vantrel_ensure_comma_locale
comma_locale=$(locale -a | grep -i '^de_DE\.utf-\?8$' || true)
comma_locale=${comma_locale%%$'\n'*}
status=0
LC_ALL=$comma_locale build/default/tools/vantrel-core-check "$@" --register-file "$out"/register-file-native.txt \
    >"$native" || status=$?
if [ "$status" -ne 0 ]; then
    echo "!! the native vantrel-core-check failed with status $status" >&2
    exit 1
fi
LC_ALL=$comma_locale "$vantrel_wine" "$out"/tools/vantrel-core-check.exe "$@" \
    --register-file "$out"/register-file-windows.txt >"$windows" || status=$?
if [ "$status" -ne 0 ]; then
    echo "!! vantrel-core-check.exe under Wine failed with status $status" >&2
    exit 1
fi
if ! cmp -s "$native" "$windows"; then
    echo "!! the Windows output differs from the native one ($native, $windows); the first cases that differ:" >&2
    # Field by field, so that the one difference in a long line shows; a CR
    # is made visible, since a CR LF where an LF belongs is the usual fault.
    awk 'BEGIN { FS = " \\| " }
         NR == FNR { native[FNR] = $0; nativeLines = FNR; next }
         {
             windowsLines = FNR
             if (shown >= 3 || native[FNR] == $0) next
             ++shown
             count = split(native[FNR], field, FS)
             if (NF > count) count = NF
             print "case " FNR ":"
             for (i = 1; i <= count; ++i) {
                 if (field[i] == $i) continue
                 mine = field[i]; theirs = $i
                 gsub(/\r/, "\\r", mine); gsub(/\r/, "\\r", theirs)
                 print "  native:  " mine
                 print "  windows: " theirs
             }
         }
         END { if (nativeLines != windowsLines) print nativeLines " lines native, " windowsLines + 0 " under Wine" }' \
        "$native" "$windows" >&2
    exit 1
fi
# The register file is written through the one Windows branch of the core
# (_wfopen in binary mode): its CR LF must not grow a second CR.
if ! cmp -s "$out"/register-file-native.txt "$out"/register-file-windows.txt; then
    echo "!! the register file written on Windows differs from the native one:" >&2
    cmp "$out"/register-file-native.txt "$out"/register-file-windows.txt >&2 || true
    exit 1
fi
echo "identical: $(wc -l <"$native") cases, $(wc -c <"$native") bytes; register files $(wc -c <"$out"/register-file-native.txt) bytes"

echo "== fuzz corpora replayed under Wine"
ctest --preset windows-core -j "$jobs"

elapsed=$((($(date +%s%N) - started) / 1000000))
echo "== windows-core took $((elapsed / 1000)).$((elapsed % 1000 / 100)) s (install, build, comparison, replays)"
