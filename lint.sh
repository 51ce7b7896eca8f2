#!/usr/bin/env bash
# Static checks: clang-tidy (the checks in .clang-tidy) and cppcheck over the
# project's sources. Exits non-zero on any finding.
#
#   ./lint.sh              # every source folder
#   ./lint.sh calc tools   # only these folders
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
vantrel_install_missing "${vantrel_lint_packages[@]}"

if [ $# -gt 0 ]; then
    folders=("$@")
else
    folders=(app bench calc eeprom fuzz link tests tools ui)
fi
jobs=$(nproc)

# clang-tidy reads the compile commands, and the window code needs the
# headers generated from its forms, so the default build must exist.
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs" >/dev/null
# The fuzz targets are compiled only by the fuzz preset; configuring it is
# enough for their compile commands.
cmake --preset fuzz >/dev/null

sources_in() { # compile_commands.json, then folders: the listed files inside them
    python3 - "$@" <<'PY'
import json, os, sys
database, folders = sys.argv[1], sys.argv[2:]
root = os.getcwd()
for entry in json.load(open(database)):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
    if path.split(os.sep)[0] in folders:
        print(path)
PY
}

status=0
echo "== clang-tidy"
# Each source once: fuzz/ from the fuzz preset's commands, the rest from the default's.
for preset in default fuzz; do
    database=build/$preset/compile_commands.json
    mapfile -t files < <(sources_in "$database" "${folders[@]}" | sort -u \
                         | if [ "$preset" = fuzz ]; then grep '^fuzz/' || true; else grep -v '^fuzz/' || true; fi)
    [ ${#files[@]} -eq 0 ] && continue
    log=build/$preset/clang-tidy.log
    printf '%s\n' "${files[@]}" | xargs -P "$jobs" -n 4 clang-tidy -p "build/$preset" --quiet >"$log" 2>&1 \
        || status=1
    # Counts of the warnings hidden in system headers are only noise.
    grep -v '^[0-9]* warnings\? generated\.$' "$log" || true
done

echo "== cppcheck"
cppcheck --std=c++20 --language=c++ --library=qt --enable=warning,performance,portability \
    --inline-suppr --suppress=missingIncludeSystem --error-exitcode=1 --quiet -j "$jobs" \
    -Icalc -Ieeprom -Ilink -Ilink/protocol -Iui -Itools/plan -Itools/board -Iapp -Ifuzz "${folders[@]}" || status=1

if [ "$status" -eq 0 ]; then
    echo "lint: no findings"
else
    echo "lint: findings above" >&2
fi
exit "$status"
