#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, when it is missing.
# Sourced by run.sh and test.sh.
set -euo pipefail

vantrel_packages=(
    cmake ninja-build g++ pkg-config locales libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev qt6-qpa-plugins libgl-dev fonts-liberation2
    fonts-liberation
    clang libclang-rt-14-dev desktop-file-utils
    python3-pyvisa python3-pyvisa-py python3-pymeasure
    # The man pages, the metainfo's and the Debian package's checks.
    help2man appstream lintian man-db dpkg-dev file
)
# Only ./lint.sh needs these.
vantrel_lint_packages=(clang-tidy cppcheck)
# The core built for Windows (MinGW-w64) and run under Wine, by test.sh
# through scripts/windows-core.sh.
vantrel_windows_packages=(g++-mingw-w64-x86-64-posix wine64)

vantrel_install_missing() {
    local missing=()
    for package in "${vantrel_packages[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These packages are missing. Install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# The tests prove that numbers keep "." as the decimal point under a locale
# whose decimal point is a comma; make one when the machine has none.
vantrel_ensure_comma_locale() {
    if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "The German locale is missing. Make it with:" >&2
        echo "  sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8" >&2
        exit 1
    fi
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
}
