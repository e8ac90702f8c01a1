#!/bin/sh
# Drives the Windows window (vaveze.exe) under wine on a virtual X display,
# as a person would, with wine's own dialogs: Ctrl+O and a typed path, Ctrl+S
# and the proposed name, the boxes, a failed open, the questions before
# edits are lost, several files chosen together (the file list, Ctrl+Shift+S,
# find and the filter), a file in a Japanese folder on the command line and
# the pane-full message; every saved listing is held to the Linux tool's
# bytes. A fault inside the flow is told and the window goes on; rows of the
# window flow's scenario table are replayed (replay-scenarios.py). A DLL
# planted beside the window is not loaded.
# What the window shows is read by window-state.exe (built here with
# mingw-w64) through the controls' own texts. The program must be a window
# program that needs only the DLLs every Windows has.
#   run-wine-window-tests.sh NATIVE_TOOL WINDOWS_BUILD_FOLDER
# Needs Xvfb and xdotool; the wine prefix is made in
# WINDOWS_BUILD_FOLDER/wineprefix on first use.
set -u

native=$(realpath "$1")
build=$(realpath "$2")
exe=$build/winapp/vaveze.exe
work=$build/wine-window-tests
root=$(cd "$(dirname "$0")/../.." && pwd)

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
check() {
    description=$1
    shift
    if "$@"; then pass; else fail "$description"; fi
}

rm -rf "$work" && mkdir -p "$work"

# The program's imports: a window program of the system's DLLs alone.
objdump -p "$exe" >"$work/objdump.txt"
check "vaveze.exe is a window program" grep -q "Subsystem.*(Windows GUI)" "$work/objdump.txt"
foreign=$(sed -n 's/^[[:space:]]*DLL Name: //p' "$work/objdump.txt" | tr '[:upper:]' '[:lower:]' |
    grep -v -x -e kernel32.dll -e user32.dll -e gdi32.dll -e comctl32.dll -e comdlg32.dll -e shell32.dll \
        -e ole32.dll -e msvcrt.dll)
check "vaveze.exe imports only system DLLs (not: $foreign)" test -z "$foreign"

# The package a Windows user downloads: the window, the tool, the page (when
# the build was given it, as make windows does), the library, the README and
# the licence.
zip=$build/vaveze-windows-x64.zip
if [ -f "$zip" ]; then
    python3 -m zipfile -l "$zip" | awk '{ print $1 }' | sed 's|^vaveze-windows-x64/||' >"$work/zip.txt"
    for file in vaveze.exe vaveze-list.exe vaveze.dll vaveze.dll.a vaveze.h README.txt LICENSE.txt; do
        check "the zip holds $file" grep -q -x -F "$file" "$work/zip.txt"
    done
    if grep -q "^VAVEZE_WEB_PAGE:FILEPATH=." "$build/CMakeCache.txt"; then
        check "the zip holds vaveze.html" grep -q -x vaveze.html "$work/zip.txt"
    fi
fi

x86_64-w64-mingw32-gcc-posix -std=c99 -O1 -o "$work/window-state.exe" "$root/tests/windows/window-state.c" -lshell32 ||
    { echo "window-state.exe does not build"; exit 1; }

# A display of its own: -displayfd picks a free one and names it once ready;
# -noreset keeps the server as it is between clients.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
i=0
while [ ! -s "$work/display" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; kill $xvfb; exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
. "$root/tests/windows/wine-setup.sh"
trap '"$wineserver" -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT

# until COMMAND...: runs it every tenth of a second, for 30 seconds at most.
until_true() {
    i=0
    while [ $i -lt 300 ]; do
        "$@" && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}
# What the window shows now, in $work/state (see window-state.c).
state() { "$wine" "$work/window-state.exe" >"$work/state" 2>/dev/null; }
# act COMMAND...: edits or sizes the window (see window-state.c).
act() { "$wine" "$work/window-state.exe" "$@" >"$work/done" 2>/dev/null; }
# shows PATTERN: the window shows a control's line matching PATTERN.
shows() { state && grep -q -- "$1" "$work/state"; }
main_window() { xdotool search --onlyvisible --name '^VAveze Ver\.1\.01$' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
# A dialog or box of the program: any other window with a name.
other_window() { xdotool search --onlyvisible --name '.' 2>/dev/null | grep -v -x "$main" | head -n 1; }
has_other_window() { [ -n "$(other_window)" ]; }
other_windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | grep -c -v -x "$main"; }
# A message box of the program's, alone: it bears the program's name.
has_box() { [ "$(other_windows)" -eq 1 ] && xdotool search --onlyvisible --name '^VAveze$' >/dev/null 2>&1; }
# box_says PATTERN: such a box, its text matching PATTERN.
box_says() { has_box && act others && grep -q -- "$1" "$work/done"; }
window_gone() { ! xdotool search --onlyvisible --name '.' 2>/dev/null | grep -q -x "$1"; }
is_gone() { ! kill -0 "$1" 2>/dev/null; }
key() { xdotool key --delay 50 "$@"; }
# Keys for the dialog or box that comes, then until it is gone.
answer() {
    until_true has_other_window || return 1
    dialog=$(other_window)
    key "$@"
    until_true window_gone "$dialog"
}
# A path of this system as wine's programs name it.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# Ctrl+O, the path typed, Enter.
open_by_dialog() {
    key ctrl+o
    until_true has_other_window || return 1
    xdotool type --delay 10 "$(windows_path "$1")"
    answer Return
}
# Ctrl+S and the proposed name; until the file is there.
save_proposed() {
    rm -f "$1"
    key ctrl+s
    answer Return && until_true test -f "$1"
}
# Clicks a point of the window (no window manager: the window has no frame).
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
# The listing as the pane shows it, as window-state.exe prints it.
pane_line() { printf '1009 - '; "$native" --utf8 "$@" | sed -e ':a' -e 'N' -e '$!ba' -e 's/\n/\\n/g'; }

start() {
    "$wine" "$exe" "$@" >"$work/program.log" 2>&1 &
    program=$!
    until_true has_main_window || { echo "no window: $(cat "$work/program.log")"; return 1; }
    main=$(main_window)
}

# --- No DLL from the program's folder -------------------------------------
# A msftedit.dll planted beside the window (the pane's control, loaded by
# name once the window runs), which wine is told to prefer to its own,
# leaves a mark when loaded: a program that does not restrict the search
# takes it; the window must not.
planted=$work/planted
mkdir -p "$planted"
cp "$exe" "$planted/vaveze.exe"
{ x86_64-w64-mingw32-gcc -std=c99 -O1 -shared -DPLANTED_DLL -o "$planted/msftedit.dll" "$root/tests/windows/planted.c" &&
    x86_64-w64-mingw32-gcc -std=c99 -O1 -o "$planted/unrestricted.exe" "$root/tests/windows/planted.c"; } ||
    { echo "the planted DLL does not build"; exit 1; }
overrides=$WINEDLLOVERRIDES
WINEDLLOVERRIDES="$overrides;msftedit=n,b"
"$wine" "$planted/unrestricted.exe" >/dev/null 2>&1
check "a program that does not restrict the search takes the DLL planted beside it" test -f "$planted/loaded"
rm -f "$planted/loaded"
built=$exe
exe=$planted/vaveze.exe
start || exit 1
check "the window runs with a DLL planted beside it" until_true shows '^focus 1001$'
check "... and takes none from its own folder" test ! -f "$planted/loaded"
key alt+F4
until_true is_gone "$program"
exe=$built
WINEDLLOVERRIDES=$overrides

# --- One window: open, save, the boxes, a failed open, edits -------------
a=$work/a
mkdir -p "$a"
cp "$root/samples/plan.zvw" "$a/plan.zvw"
cp "$root/samples/symbol.zvs" "$a/wrong.zvw"
"$native" --sjis "$a/plan.zvw" >"$work/plan.sjis"
"$native" --sjis --header "$a/plan.zvw" >"$work/plan-header.sjis"
pane_line --header "$a/plan.zvw" >"$work/plan-header.pane"

start || exit 1
check "the first control has the focus" until_true shows '^focus 1001$'
key Tab Tab Tab Tab Tab Tab Tab Tab
check "Tab goes through the controls (表に出力 and すべて出力 after テキスト出力) to the pane" until_true shows '^focus 1009$'
key Tab
check "Tab leaves the pane" until_true shows '^focus 1001$'

# Wider than designed, the path field and the save button follow the width
# (the window has no frame here: its outer size is its client area's);
# narrower, the window stops where nothing overlaps.
act size 668 506 && act places
check "the path field and the save button follow a wider window" \
    grep -q -x -e '1002 104 8 645 32 1' "$work/done"
check "... the save button too" grep -q -x -e '1006 540 32 645 57 1' "$work/done"
check "... and the status line stays at the bottom, right under the pane" awk '
    /^client/ { width = $2; height = $3 }
    $1 == 1009 { paneBottom = $5 }
    $1 == 1010 { ok = $2 == 0 && $3 == paneBottom && $4 == width && $5 == height }
    END { exit !ok }' "$work/done"
act size 200 150 && act places
check "the window is no smaller than where nothing overlaps, with room for the pane" \
    grep -q -x -e '1009 0 129 553 225 1' "$work/done"
act size 568 506

open_by_dialog "$a/plan.zvw"
check "Ctrl+O, a typed path and Enter list the file" until_true shows '^1010 - .*plan\.zvw'
save_proposed "$a/plan.txt"
check "Ctrl+S and Enter save the listing as plan.txt, as vaveze-list writes it" cmp -s "$work/plan.sjis" "$a/plan.txt"

click 112 48
check "a box lists the file again at once" until_true shows '^1003 1 '
save_proposed "$a/plan.txt"
check "the listing with the header section saved as vaveze-list --header writes it" \
    cmp -s "$work/plan-header.sjis" "$a/plan.txt"

# A ZVS file named .zvw: the warning box, then the pane and the name
# proposed for saving stay those of plan.zvw.
open_by_dialog "$a/wrong.zvw"
answer Return || fail "no warning box"
check "a failed open says why in the status line" until_true shows '^1010 - .*wrong\.zvw.*plan\.zvw'
check "a failed open says so beside the pane" shows '^1008 - ..*wrong\.zvw'
check "a failed open keeps the pane" grep -q -x -F -f "$work/plan-header.pane" "$work/state"
save_proposed "$a/plan.txt"
check "after a failed open the listing shown is saved under its own name" \
    cmp -s "$work/plan-header.sjis" "$a/plan.txt"

# A save that fails, over a file another program holds open: why, in the
# system's own words (not the C runtime's "Permission denied"), and the file
# as it was.
printf 'old\r\n' >"$a/plan.txt"
touch "$work/holding"
"$wine" "$work/window-state.exe" hold "$(windows_path "$a/plan.txt")" "$(windows_path "$work/holding")" \
    >"$work/held" 2>/dev/null &
holder=$!
until_true grep -qs held "$work/held" || fail "plan.txt not held open"
key ctrl+s
until_true has_other_window && key Return
check "the save dialog asks before plan.txt is replaced" until_true test "$(other_windows)" -ge 2
key y
check "a failed save says why in a box, in the system's words" until_true box_says 'plan\.txt.*Access'
answer Return
rm -f "$work/holding"
wait $holder
check "a failed save keeps the file it would have replaced" grep -q '^old' "$a/plan.txt"
rm -f "$a/plan.txt"

# The pane case every front runs (tests/data/pane_edits.json): the boxes as
# it says, its file listed, its edits made through the pane's own typing,
# the saved bytes as it gives them.
case=$root/tests/data/pane_edits.json
if [ -f "$case" ] && python3 "$root/tests/windows/pane-case.py" "$case" "$work"; then
    file=$(cat "$work/case-file")
    cp "$root/tests/data/$file" "$a/$file"
    state
    read -r header dimensions blocks <"$work/case-boxes"
    for box in "1003 $header 48" "1004 $dimensions 68" "1005 $blocks 88"; do
        # shellcheck disable=SC2086
        set -- $box
        grep -q "^$1 $2 " "$work/state" || click 112 "$3"
    done
    open_by_dialog "$a/$file"
    shows_case() { state && grep -q -x -F -f "$work/case-shown" "$work/state"; }
    check "the shared pane case: the pane shows its lines" until_true shows_case
    while read -r edit; do
        eval "act $edit"
    done <"$work/case-edits"
    save_proposed "$a/${file%.*}.txt"
    check "the shared pane case: the edited pane saved to its bytes" cmp -s "$work/case-saved" "$a/${file%.*}.txt"
fi

key alt+F4
check "the window closes at once when the pane holds no edits" until_true is_gone "$program"

# --- A fault inside the flow ----------------------------------------------
# Memory runs out as the second file is opened (VAVEZE_TEST_FAULT, read only
# by tests, lets the fault points of the first open and listing pass): the
# window says so in a box, in Japanese, keeps the pane and answers after.
export VAVEZE_TEST_FAULT=memory:2
start || exit 1
unset VAVEZE_TEST_FAULT
open_by_dialog "$a/plan.zvw"
until_true shows '^1010 - .*plan\.zvw' || fail "plan.zvw not listed before the fault"
key ctrl+o
until_true has_other_window && xdotool type --delay 10 "$(windows_path "$a/wrong.zvw")" && key Return
check "memory running out inside the flow is told in a box, in Japanese" \
    until_true box_says 'メモリが足りないため、処理できませんでした。'
answer Return
check "... the pane keeps its listing" until_true shows '^1009 - ■文字情報'
open_by_dialog "$a/plan.zvw"
check "... and the window answers after: a file opens" until_true shows '^1010 - ZVW 図面ファイル「plan\.zvw」から'
key alt+F4
until_true is_gone "$program" || fail "the window did not close after the fault"

# --- Rows of the window flow's scenario table (tests/data/window_scenarios.json),
# replayed through the window's controls and the system's dialogs ----------
replays=$work/replays
mkdir -p "$replays"
python3 "$root/tests/windows/replay-scenarios.py" "$native" "$exe" "$work/window-state.exe" "$wine" "$replays" \
    "a failed open keeps the pane" "a box takes effect at once and asks first over edits" \
    "closing with edits asks to save them, Cancel keeps the window" "the filter hides rows and gives them back" \
    "a damaged file's notice offers to look for the rest" "walking a file list shows no box for a mis-named file" \
    "save all saves what the filter shows" >"$work/replays.log"
grep '^FAIL' "$work/replays.log"
# A row each; no summary at all counts as one row failed.
summary=$(sed -n 's/^replayed: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$work/replays.log")
# shellcheck disable=SC2086
set -- ${summary:-0 1}
passed=$((passed + $1))
failed=$((failed + $2))

# --- Several files chosen together: a drawing, its backup and a damaged
# copy (read in part); plan.txt is there already ---------------------------
c=$work/c
mkdir -p "$c/tool"
cp "$root/samples/plan.zvw" "$c/plan.zvw"
cp "$c/plan.zvw" "$c/plan.bak"
head -c 15000 "$c/plan.zvw" >"$c/cut.zvw"
cp "$c/plan.zvw" "$c/plan.bak" "$c/cut.zvw" "$c/tool"
(cd "$c/tool" && "$native" -q -s --sjis --save plan.zvw plan.bak cut.zvw 2>/dev/null)
echo "an earlier listing" >"$c/plan.txt"
# A row of the file list: its middle (rows are a line and a few pixels high).
row_y() { act places && awk -v row="$1" '$1 == 1013 { print $3 + 10 + 21 * row }' "$work/done"; }
has_tooltip() { act others && grep -q "^window tooltips_class32 .*$1" "$work/done"; }

start || exit 1
key ctrl+o
until_true has_other_window || fail "no open dialog"
xdotool type --delay 10 "Z:$(printf '%s' "$c" | tr / '\\')"
key Return
xdotool type --delay 10 '"plan.zvw" "plan.bak" "cut.zvw"'
answer Return
check "files chosen together in the open dialog make the list, the first selected" \
    until_true shows '^1013 0 plan\.zvw\\nplan\.bak\\ncut\.zvw$'
check "... and listed in the pane" until_true shows '^1010 - .*plan\.zvw.* 10 '
click 300 300
key End x
key ctrl+shift+s
until_true has_other_window && act others
check "Ctrl+Shift+S asks once: the pane's edits left out, 1 of the 3 listings there already" \
    grep -q '^0 - 表示中の一覧.*3 個.* 1 個はすでにあります。上書きしますか' "$work/done"
answer Left Return
check "every listing saved, the summary in the status line" \
    until_true shows '^1010 - 3 個のファイルを出力しました: 保存 2、一部のみ保存 1$'
for target in plan.txt plan.bak.txt cut.txt; do
    check "すべて出力 wrote $target as vaveze-list --save does" cmp -s "$c/tool/$target" "$c/$target"
done
xdotool mousemove --window "$main" 60 "$(row_y 2)" sleep 0.2 mousemove_relative 1 1
check "the damaged file's tooltip: listed in part, and where its listing went" \
    until_true has_tooltip '一部のみ抽出しました: .*cut\.txt」に保存しました'
click 60 "$(row_y 2)"
answer Left Return || fail "no question before the pane's edits were lost"
check "selecting an entry lists it: the notice says it was read in part" until_true shows '^1008 - .*cut\.zvw'
click 60 "$(row_y 0)"
until_true shows '^1010 - .*plan\.zvw' || fail "plan.zvw not listed again"
key ctrl+f
check "Ctrl+F opens the find bar with the keyboard in its field" until_true shows '^focus 1014$'
act compose 1014 よくしつ
check "a text still being composed is not looked for" shows '^selection $'
act commit 1014 浴室
check "the committed text is found in the pane" until_true shows '^selection 浴室$'
key F3
check "F3 goes round the end to it again, and says so" until_true shows '^1010 - 末尾まで検索したので'
key Escape
check "Escape closes the find bar" until_true shows '^focus 1009$'
act compose 1012 よくしつ && act commit 1012 浴室
check "the filter keeps the files whose listing holds the text" until_true shows '^1013 0 plan\.zvw\\nplan\.bak$'
check "... and says in how many files and lines" until_true shows '^1010 - 「浴室」は 3 個中 2 個のファイルの 2 行にあります。$'
check "... and the list of hits under the pane has a row for each line" shows '^1022 - 2 rows$'
act places
check "... above the status line, the pane above it" \
    awk '$1 == 1022 && $6 == 1 { hits = $3 } $1 == 1009 { pane = $5 } END { exit !(hits > 0 && pane <= hits) }' "$work/done"
# 表に出力: every line of the list in one table, as many rows as the tool's.
rm -f "$c/c.csv"
act click 1021
until_true has_other_window && answer Return
check "表に出力 saves the table of every line of the list under the folder's name" until_true test -s "$c/c.csv"
"$native" --csv "$work/table.csv" "$c/plan.zvw" "$c/plan.bak" "$c/cut.zvw" 2>/dev/null
check "... a row for each line, as vaveze-list --csv writes it" test "$(wc -l <"$c/c.csv")" -eq "$(wc -l <"$work/table.csv")"
key alt+F4
check "the window closes at once when the pane holds no edits" until_true is_gone "$program"

# --- A file in a Japanese folder and a folder named on the command line, a
# pane too small for the file (VAVEZE_TEST_PANE_LIMIT, read only for tests) -
b=$work/b
mkdir -p "$b/図面"
cp "$root/samples/plan.zvw" "$b/図面/平面図.zvw"
limit=30
"$native" --sjis "$b/図面/平面図.zvw" >"$work/whole.sjis"
# A folder named with it is walked for its drawings, as a drop is: enough
# of them for すべて出力 to be stopped while it runs.
mkdir -p "$b/more/sub"
cp "$root/samples/plan.zvw" "$b/more/sub/断面図.zvw"
echo "no drawing" >"$b/more/note.txt"
for i in $(seq 101 250); do cp "$root/samples/plan.zvw" "$b/more/p$i.zvw"; done
cd "$b" || exit 1
export VAVEZE_TEST_PANE_LIMIT=$limit
start "図面/平面図.zvw" more || exit 1
unset VAVEZE_TEST_PANE_LIMIT
check "the file named on the command line is listed" until_true shows '^1002 - .*\\図面\\平面図\.zvw$'
check "... first in the list, then the drawings of the folder named with it" \
    shows '^1013 0 平面図\.zvw\\np101\.zvw\\n.*\\np250\.zvw\\n断面図\.zvw$'
answer Return || fail "no pane-full message"
key ctrl+shift+s
progress_shown() { act places && grep -q '^1018 .* 1$' "$work/done" && grep -q '^1019 .* 1$' "$work/done"; }
check "すべて出力 shows a progress bar and 中止 while it saves" until_true progress_shown
key Return
check "Enter on 中止 (which has the keyboard) stops between two files, and the status line says so" \
    until_true shows '^1010 - 152 個中 [0-9]* 個で中止しました: 保存 '
check "... the files left are not written" test ! -f "$b/more/sub/断面図.txt"
act places
check "... and the progress bar and 中止 are gone" grep -q '^1019 .* 0$' "$work/done"
save_proposed "$b/図面/平面図.txt"
check "a listing cut off where the pane is full, untouched, is saved whole" cmp -s "$work/whole.sjis" "$b/図面/平面図.txt"
key alt+F4
check "the window closes at once when the pane holds no edits" until_true is_gone "$program"

check "--version answers through a pipe" test "$("$wine" "$exe" --version 2>/dev/null)" = "vaveze (VAveze) $(sed -n 's/^project(VAveze VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
