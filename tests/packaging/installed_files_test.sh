#!/bin/sh
# Installs the whole build into a temporary prefix, as `make install` does,
# and checks what a user then finds there: the programs, the man page and
# the bash completion (each naming every option --help names), the desktop
# entry with its icons and file types, the C library and the licence.
#
# usage: installed_files_test.sh BUILD_DIR WITH_WINDOW(ON|OFF)
set -eu
build=$1 window=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

expected="bin/vaveze-list share/man/man1/vaveze-list.1 share/bash-completion/completions/vaveze-list
share/doc/vaveze/LICENSE include/vaveze.h"
[ "$window" = ON ] && expected="$expected bin/vaveze share/applications/vaveze.desktop
share/icons/hicolor/32x32/apps/vaveze.png share/icons/hicolor/scalable/apps/vaveze.svg share/mime/packages/vaveze.xml"
for file in $expected; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
ls "$prefix"/lib*/libvaveze.so.1 >/dev/null 2>&1 || fail "not installed: libvaveze.so.1"

# Every option of --help in the man page and offered by the completion.
"$prefix/bin/vaveze-list" --help >"$work/help"
bash -c '. "$1"; COMP_WORDS=(vaveze-list -); COMP_CWORD=1; _vaveze_list; printf "%s\n" "${COMPREPLY[@]}"' \
    sh "$prefix/share/bash-completion/completions/vaveze-list" >"$work/offered"
for option in $(grep -o -e '--[a-z][a-z0-9-]*' -e '^  -[a-zA-Z]' "$work/help" | tr -d ' ' | sort -u); do
    grep -q -e "$(printf '%s' "$option" | sed 's/-/\\\\-/g')" "$prefix/share/man/man1/vaveze-list.1" ||
        fail "the man page lacks $option"
    grep -q -x -e "$option" "$work/offered" || fail "the completion does not offer $option"
done

if [ "$window" = ON ]; then
    grep -q '^Exec=vaveze ' "$prefix/share/applications/vaveze.desktop" || fail "the desktop entry starts no vaveze"
    for type in $(sed -n 's/^MimeType=//p' "$prefix/share/applications/vaveze.desktop" | tr ';' ' '); do
        grep -q "mime-type type=\"$type\"" "$prefix/share/mime/packages/vaveze.xml" || fail "no file type $type"
    done
fi
exit $failed
