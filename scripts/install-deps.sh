#!/bin/sh
# Installs the Debian packages this project builds and tests with.
# Idempotent and non-interactive: it only calls apt-get when something is missing.
set -eu

PACKAGES="cmake ninja-build make g++ libgtest-dev libbenchmark-dev qt6-base-dev
fonts-ipafont-gothic xvfb xdotool x11-utils clang libclang-rt-14-dev"

# `install-deps.sh bench` adds what the benchmarks compare and measure with.
if [ "${1:-}" = "bench" ]; then
    PACKAGES="$PACKAGES hyperfine time binutils"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "install-deps: installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: missing packages and no root rights:$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
