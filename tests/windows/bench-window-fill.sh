#!/bin/sh
# A benchmark, not a test: the Windows window under wine fills its pane with
# a listing of FILE (e.g. pane-full.zvw of vaveze_make_bench_files, 386,162
# lines) while window-latency.exe asks it for nothing every 20 ms; prints how
# long the fill took and the longest the window kept the caller waiting.
#   bench-window-fill.sh WINDOWS_BUILD_FOLDER FILE
set -u
build=$(realpath "$1")
file=$(realpath "$2")
work=$build/bench-window-fill
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$work"
x86_64-w64-mingw32-gcc-posix -std=c99 -O1 -o "$work/window-latency.exe" "$root/tests/windows/window-latency.c" || exit 1
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfb=$!
i=0
while [ ! -s "$work/display" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
. "$root/tests/windows/wine-setup.sh"
trap '"$wineserver" -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
"$wine" "$build/winapp/vaveze.exe" "$file" >/dev/null 2>&1 &
"$wine" "$work/window-latency.exe"
