#!/bin/sh
# Measures peak resident memory and time of vaveze-list (all options on) on
# the worst-case inputs, at each size given in KiB (default 1024 and 8192),
# against the bound 64 MiB + 32 x the file's size. Needs /usr/bin/time and
# a built tree (BUILD_DIR, default build). Exit status 1 when a bound is
# exceeded.
set -u

BUILD_DIR=${BUILD_DIR:-build}
SIZES=${*:-1024 8192}
WORK=${WORK_DIR:-$BUILD_DIR/worst-cases}
LIST="$BUILD_DIR/cli/vaveze-list"

over=0
printf '%-22s %10s %12s %12s %8s %10s %6s\n' file bytes "peak KiB" "bound KiB" seconds "out bytes" exit
for kib in $SIZES; do
    dir="$WORK/$kib"
    "$BUILD_DIR/fuzz/make_worst_cases" "$dir" "$kib" >/dev/null || exit 2
    for file in "$dir"/*; do
        bytes=$(stat -c %s "$file")
        /usr/bin/time -f '%M %e' -o "$WORK/time.txt" "$LIST" --header --dimensions --blocks "$file" \
            2>/dev/null >"$WORK/out.bin"
        status=$?
        # time puts a note before its figures when the command's status is not 0.
        read -r peak seconds <<EOT
$(tail -n 1 "$WORK/time.txt")
EOT
        bound=$((65536 + 32 * bytes / 1024))
        [ "$peak" -gt "$bound" ] && over=1
        printf '%-22s %10s %12s %12s %8s %10s %6s\n' "$(basename "$file")" "$bytes" "$peak" "$bound" "$seconds" \
            "$(stat -c %s "$WORK/out.bin")" "$status"
    done
done
rm -f "$WORK/out.bin"
exit "$over"
