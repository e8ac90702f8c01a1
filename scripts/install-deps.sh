#!/bin/sh
# Installs the Debian packages this project builds and tests with.
# Idempotent and non-interactive: it only calls apt-get when something is missing.
#   install-deps.sh        what `make run` needs: the window and the tool
#   install-deps.sh test   everything `make test` needs: the Windows build and
#                          wine, WebAssembly, the two browsers, Python, translations
#   install-deps.sh bench  what the benchmarks compare and measure with
set -eu

PACKAGES="cmake ninja-build make g++ qt6-base-dev qt6-translations-l10n gettext
fonts-ipafont-gothic"

case "${1:-}" in
test)
    PACKAGES="$PACKAGES libgtest-dev nlohmann-json3-dev xvfb xdotool x11-utils clang libclang-rt-14-dev
g++-mingw-w64-x86-64-posix wine64 emscripten chromium firefox-esr python3 pkg-config
python3-venv python3-build python3-setuptools python3-wheel python3-pytest unzip"
    command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES nodejs npm"
    ;;
bench)
    PACKAGES="$PACKAGES libgtest-dev libbenchmark-dev hyperfine time binutils"
    ;;
esac

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
