# Sourced by the wine test scripts: finds wine, makes the private prefix in
# $build/wineprefix on first use (no display, no menu entries in the home
# folder, no downloads of .NET or Gecko) and keeps one wine server up until
# the script exits. Needs $build; sets $wine and $wineserver.
for w in "${WINE:-}" "$(command -v wine64 2>/dev/null)" /usr/lib/wine/wine64 "$(command -v wine 2>/dev/null)"; do
    [ -n "$w" ] && [ -x "$w" ] && { wine=$w; break; }
done
[ -n "${wine:-}" ] || { echo "$0: wine64 not found" >&2; exit 1; }
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

WINEPREFIX=$build/wineprefix
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
# A server left from an earlier run of this prefix may serve another display.
"$wineserver" -k 2>/dev/null
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    DISPLAY= WAYLAND_DISPLAY= "$wine" wineboot --init </dev/null >/dev/null 2>&1
    "$wineserver" -w
fi
# One server for all the runs, instead of one per run.
"$wineserver" -p
