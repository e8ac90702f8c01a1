#!/bin/sh
# Installs the library into a temporary prefix, builds the example against
# it through its CMake package (shared and static) and through pkg-config
# (as strict C89), and compares its listings and exit statuses with
# vaveze-list's.
#
# usage: install_test.sh BUILD_DIR SOURCE_DIR VAVEZE_LIST CMAKE_GENERATOR
set -eu
build=$1 source=$2 vaveze_list=$3 generator=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" --component library >/dev/null
pc=$(find "$prefix" -name vaveze.pc)
libdir=$(dirname "$(dirname "$pc")")

# Only the C interface leaves the shared library, and all of it: every call
# the header declares (but the Windows-only ones).
if nm -D --defined-only "$libdir/libvaveze.so" | awk '{ print $3 }' | grep -v -e '^vaveze_' -e '^VAVEZE_1$' -e '^VAVEZE_1\.[0-9]*$'; then
    echo "exported beyond the C interface" >&2
    exit 1
fi
sed -n 's/.*VAVEZE_CALL \(vaveze_[a-z0-9_]*\)(.*/\1/p' "$source/core/capi/vaveze.h" | grep -v '_w$' | sort >"$work/declared"
nm -D --defined-only "$libdir/libvaveze.so" | awk '$3 ~ /^vaveze_/ { sub(/@.*/, "", $3); print $3 }' | sort >"$work/exported"
if ! cmp -s "$work/declared" "$work/exported"; then
    echo "declared in vaveze.h but not exported, or the other way round:" >&2
    diff "$work/declared" "$work/exported" >&2
    exit 1
fi

cmake -S "$source/examples" -B "$work/cmake" -G "$generator" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
cc -std=c89 -pedantic-errors -Wall -Wextra -Werror "$source/examples/list-texts.c" \
    $(pkg-config --cflags --libs vaveze) -o "$work/list-texts-pc"

head -c 3000 "$source/samples/plan.zvw" >"$work/cut.zvw"
failed=0
for file in "$source"/samples/* "$work/cut.zvw" "$work/missing.zvw"; do
    for options in "" "--header --dimensions --blocks" "--utf8 --blocks"; do
        expected=0
        # shellcheck disable=SC2086
        "$vaveze_list" $options "$file" >"$work/expected" 2>/dev/null || expected=$?
        for program in "$work/cmake/list-texts" "$work/cmake/list-texts-static" "$work/list-texts-pc"; do
            got=0
            # shellcheck disable=SC2086
            LD_LIBRARY_PATH=$libdir "$program" $options "$file" >"$work/got" 2>/dev/null || got=$?
            if [ "$got" != "$expected" ] || ! cmp -s "$work/expected" "$work/got"; then
                echo "$program $options $file: status $got, vaveze-list $expected, or the listings differ" >&2
                failed=1
            fi
        done
    done
done
exit $failed
