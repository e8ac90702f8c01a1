#!/bin/sh
# Runs the Windows vaveze-list.exe under wine and holds it to the Linux build:
# the same listing, byte for byte, and the same exit status on every sample,
# every generated seed and a few detection cases, with every option; then
# Japanese file and folder names, --save over an existing listing, CR LF;
# and the C library: its example program against the DLL, and its calls
# taking UTF-16 names on Japanese and Korean names (wide-paths.c).
#   run-wine-tests.sh NATIVE_TOOL WINDOWS_BUILD_FOLDER [SEED_FOLDER]
# The wine prefix is made in WINDOWS_BUILD_FOLDER/wineprefix on first use.
set -u

native=$(realpath "$1")
build=$(realpath "$2")
seeds=${3:-}
exe=$build/cli/vaveze-list.exe
dll=$build/core/capi/vaveze.dll
work=$build/wine-tests
root=$(cd "$(dirname "$0")/../.." && pwd)

mkdir -p "$work"
# The console tool's runs have no display.
unset DISPLAY WAYLAND_DISPLAY
. "$root/tests/windows/wine-setup.sh"
trap '"$wineserver" -k 2>/dev/null' EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

# The files: the samples, the seeds under each format's extension, a backup
# of each format, and cases the detection turns down.
files=$work/files
rm -rf "$files" && mkdir -p "$files"
cp "$root"/samples/* "$files"/
for format in zvw zvs zvc zvk; do
    for f in "$seeds/$format"/* "$root/fuzz/regressions/$format"/*; do
        [ -f "$f" ] && cp "$f" "$files/$format-$(basename "$f").$format"
    done
done
cp "$root/samples/plan.zvw" "$files/backup.bak"
cp "$root/samples/drawing.zvc" "$files/backup.BK1"
cp "$root/samples/symbol.zvk" "$files/backup.zv\$"
cp "$root/samples/plan.zvw" "$files/plan-renamed.dat"
cp "$root/samples/symbol.zvs" "$files/wrong-content.zvw"
: >"$files/empty.zvw"
names=$(cd "$files" && ls)

# Each file to standard output, with the most texts: listing and exit
# status. (The options only choose lines; --save below takes every choice.)
cd "$files" || exit 1
opts="--header --dimensions --blocks"
for name in $names missing.zvw; do
    # shellcheck disable=SC2086
    "$native" $opts "$name" >"$work/native.out" 2>/dev/null </dev/null
    want=$?
    # shellcheck disable=SC2086
    "$wine" "$exe" $opts "$name" >"$work/wine.out" 2>"$work/wine.err" </dev/null
    got=$?
    if [ "$got" != "$want" ]; then
        # Under a heavy load wine itself has now and then failed a run
        # (status 1, once in some hundreds); a second run tells that from
        # the program, and what the first said is kept in the log.
        echo "note: $name: exit status $got, Linux $want; run again. It said: $(head -c 300 "$work/wine.err")"
        # shellcheck disable=SC2086
        "$wine" "$exe" $opts "$name" >"$work/wine.out" 2>/dev/null </dev/null
        got=$?
    fi
    if [ "$got" != "$want" ]; then
        fail "$name: exit status $got, Linux $want"
    elif ! cmp -s "$work/native.out" "$work/wine.out"; then
        fail "$name: listing differs from Linux"
    else
        pass
    fi
done

# Every option combination through --save, all files in one run each.
for opts in "" --header --dimensions --blocks "--header --dimensions" "--header --blocks" \
    "--dimensions --blocks" "--header --dimensions --blocks"; do
    for enc in "" --utf8; do
        rm -rf "$work/save-native" "$work/save-wine"
        cp -r "$files" "$work/save-native" && cp -r "$files" "$work/save-wine"
        # shellcheck disable=SC2086
        want=$(cd "$work/save-native" && "$native" --save $opts $enc $names >/dev/null 2>&1 </dev/null; echo $?)
        # shellcheck disable=SC2086
        got=$(cd "$work/save-wine" && "$wine" "$exe" --save $opts $enc $names >/dev/null 2>&1 </dev/null; echo $?)
        if [ "$got" != "$want" ]; then
            fail "--save $opts $enc: exit status $got, Linux $want"
        elif ! diff -r "$work/save-native" "$work/save-wine" >/dev/null; then
            fail "--save $opts $enc: saved listings differ from Linux: $(diff -rq "$work/save-native" "$work/save-wine" | head -3)"
        else
            pass
        fi
    done
done

# check DESCRIPTION COMMAND...: passes when the command succeeds.
check() {
    description=$1
    shift
    if "$@"; then pass; else fail "$description"; fi
}
no_cr_cr() { ! grep -q "$(printf '\r\r')" "$1"; }
no_cr() { ! grep -q "$(printf '\r')" "$1"; }

# Standard output that fails ends the run: one message and status 4 for a
# full disk, nothing but status 4 for a pipe whose reader went away.
"$wine" "$exe" -r "$files" >/dev/full 2>"$work/full.err" </dev/null
status=$?
check "a full standard output: status 4 (got $status), one message" \
    test "$status" -eq 4 -a "$(wc -l <"$work/full.err")" -eq 1
{ "$wine" "$exe" -r "$files" 2>"$work/pipe.err" </dev/null; echo $? >"$work/pipe.status"; } | head -c 1 >/dev/null
check "a closed pipe: status 4 (got $(cat "$work/pipe.status")), no message" \
    test "$(cat "$work/pipe.status")" -eq 4 -a ! -s "$work/pipe.err"

# same_as_linux DESCRIPTION ARGS...: the zip's tool (finding its messages as
# a user's would) writes and exits as the Linux one, run in the current
# folder, but for the separator in the paths of a walk (slashes made alike).
same_as_linux() {
    description=$1
    shift
    "$native" "$@" >native.out 2>native.err </dev/null
    want=$?
    "$wine" "$build/vaveze-windows-x64/vaveze-list.exe" "$@" >wine.out 2>wine.err </dev/null
    got=$?
    for f in native.out native.err wine.out wine.err; do tr '\\' / <$f >$f.slash; done
    if [ "$got" != "$want" ]; then
        fail "$description: exit status $got, Linux $want"
    elif ! cmp -s native.out.slash wine.out.slash || ! cmp -s native.err.slash wine.err.slash; then
        fail "$description: output differs from Linux: $(diff native.err.slash wine.err.slash | head -3)"
    else
        pass
    fi
}

# Messages in Japanese when asked, as on Linux; several files to standard
# output, a walk of a Japanese folder, listings saved elsewhere.
batch=$work/batch
rm -rf "$batch" && mkdir -p "$batch/図面/下"
cd "$batch" || exit 1
cp "$root/samples/plan.zvw" "$root/samples/symbol.zvk" "図面/"
cp "$root/samples/drawing.zvc" "図面/下/立面.zvc"
head -c 300 "$root/samples/plan.zvw" >"図面/下/途中.zvw"
echo other >"図面/メモ.txt"
export LANGUAGE=ja
same_as_linux "Japanese: missing file" missing.zvw
same_as_linux "Japanese: cut file" "図面/下/途中.zvw"
same_as_linux "Japanese: two files, with path: prefixes and a summary" 図面/plan.zvw 図面/下/途中.zvw
unset LANGUAGE
same_as_linux "-r over a Japanese folder" -r 図面
same_as_linux "-r --utf8 -j 2" -r --utf8 -j 2 図面
# The text to find from the wide command line, whatever the code page.
same_as_linux "--grep over a Japanese folder" -r --grep 浴室 図面
same_as_linux "--grep -c --utf8" -r -c --utf8 --grep 室 図面
same_as_linux "--grep -l, nothing found" -l --grep 無い 図面/plan.zvw
same_as_linux "--csv - over a Japanese folder" --csv - --blocks -r 図面
rm -rf out-native out-wine
"$native" --save --output-dir out-native -r 図面 図面/plan.zvw >/dev/null 2>&1 </dev/null; want=$?
"$wine" "$exe" --save --output-dir out-wine -r 図面 図面/plan.zvw >/dev/null 2>&1 </dev/null; got=$?
check "--save --output-dir: exit status $got, Linux $want" test "$got" -eq "$want"
check "--save --output-dir: the same listings in the same places" diff -r out-native out-wine

# Japanese folder and file names, whatever wine's code page; a listing
# saved over an existing one; CR LF kept as it is.
jp=$work/jp
rm -rf "$jp" && mkdir -p "$jp/図面" "$jp/도면"
cd "$jp" || exit 1
cp "$root/samples/plan.zvw" "図面/平面図.zvw"
cp "$root/samples/symbol.zvk" "도면/평면도.zvk"
"$native" "$root/samples/plan.zvw" >plan.sjis
"$native" --utf8 "$root/samples/plan.zvw" >plan.utf8
"$native" "$root/samples/symbol.zvk" >symbol.sjis
"$native" --header "$root/samples/plan.zvw" >plan-header.sjis
echo old >"図面/平面図.txt"

"$wine" "$exe" "図面\\平面図.zvw" >out.sjis 2>/dev/null </dev/null
check "Japanese path to standard output" cmp -s plan.sjis out.sjis
check "CR LF stays CR LF on standard output" no_cr_cr out.sjis
"$wine" "$exe" --utf8 "図面/平面図.zvw" >out.utf8 2>/dev/null </dev/null
check "--utf8 writes UTF-8 with LF" cmp -s plan.utf8 out.utf8
check "--utf8 writes no CR" no_cr out.utf8
"$wine" "$exe" --save "図面\\平面図.zvw" "도면\\평면도.zvk" >/dev/null 2>&1 </dev/null
check "--save with Japanese and Korean names: exit status" test $? -eq 0
check "--save replaces an existing listing" cmp -s plan.sjis "図面/平面図.txt"
check "--save outside both code pages" cmp -s symbol.sjis "도면/평면도.txt"
check "--save leaves no temporary file" test "$(ls 図面 도면 | grep -c "\\.")" -eq 4
rm "図面/平面図.txt"
"$wine" "$exe" --save "図面\\*.zv?" >/dev/null 2>&1 </dev/null
check "--save with a wildcard, as the Windows shells leave it" cmp -s plan.sjis "図面/平面図.txt"
"$wine" "$exe" "図面\\無い.zvw" >/dev/null 2>&1 </dev/null
check "missing Japanese name: exit status 1" test $? -eq 1

# A console: wine's, on a terminal (script), at code page 932 through cmd.
# The listing reaches it as characters even when Shift-JIS bytes are asked
# for; started alone on a console of its own (as by a double-click) the
# tool lists nothing and stops with status 2 after its box (which has no
# display here).
if command -v script >/dev/null 2>&1; then
    wexe="Z:$(printf '%s' "$exe" | tr / '\\')"
    # The console's own cursor sequences and CR LF line ends left out.
    plain() { sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' | tr -d '\r'; }
    script -q -e -c "\"$wine\" cmd /c \"chcp 932 >NUL & $wexe --sjis 図面\\平面図.zvw\"" /dev/null </dev/null | plain >console.out
    check "a console at code page 932 shows the listing as characters" cmp -s plan.utf8 console.out
    script -q -e -c "\"$wine\" \"$exe\" 図面/平面図.zvw" /dev/null </dev/null >alone.out
    status=$?
    check "a console of its own: status 2 (got $status) and nothing listed" test "$status" -eq 2 -a "$(plain <alone.out)" = ""
fi

# The C library: its example program, built against the DLL's import
# library, lists as the tool does.
if [ -f "$dll" ]; then
    cd "$work" || exit 1
    cp "$dll" .
    if x86_64-w64-mingw32-gcc-posix -std=c89 -pedantic-errors -Wall -Wextra -Werror -static-libgcc \
        -I"$root/core/capi" "$root/examples/list-texts.c" "$dll.a" -o list-texts.exe; then
        for name in plan.zvw symbol.zvs drawing.zvc symbol.zvk missing.zvw; do
            for opts in "" "--header --dimensions --blocks --utf8"; do
                # shellcheck disable=SC2086
                "$native" $opts "$files/$name" >native.out 2>/dev/null </dev/null
                want=$?
                # shellcheck disable=SC2086
                "$wine" list-texts.exe $opts "files/$name" >dll.out 2>/dev/null </dev/null
                got=$?
                check "vaveze.dll: $name $opts (status $got, Linux $want)" test "$got" = "$want"
                check "vaveze.dll: $name $opts listing" cmp -s native.out dll.out
            done
        done
    else
        fail "the example program does not build against vaveze.dll"
    fi
    # The calls taking UTF-16 names, on the Japanese and Korean names above.
    if x86_64-w64-mingw32-gcc-posix -std=c99 -Wall -Wextra -Werror -static-libgcc -I"$root/core/capi" \
        "$root/tests/windows/wide-paths.c" "$dll.a" -o "$jp/wide-paths.exe"; then
        cp "$dll" "$jp/"
        (cd "$jp" && "$wine" wide-paths.exe >wide.out 2>/dev/null </dev/null)
        got=$?
        check "vaveze.dll, UTF-16 names: check $got of wide-paths.c failed" test "$got" -eq 0
        check "vaveze.dll, UTF-16 names: the listing of a Korean name" cmp -s "$jp/symbol.sjis" "$jp/wide.out"
        check "vaveze.dll, UTF-16 names: the save of a Japanese name" cmp -s "$jp/plan-header.sjis" "$jp/図面/平面図-w.txt"
    else
        fail "wide-paths.c does not build against vaveze.dll"
    fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
