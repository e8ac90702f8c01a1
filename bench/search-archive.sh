#!/bin/sh
# A search across the archive of 2,000 drawings: vaveze-list --grep 浴室 -r
# against what a user types without it, vaveze-list -r --utf8 | grep -F 浴室
# (the same hits first, then hyperfine, then the two alternating), then the
# core's search as a window runs it (vaveze_search_bench: the first hit and
# the last file taken, by a thread woken by the search and through the
# window flow's timer ticks).
#
#   bench/search-archive.sh BUILD_DIR [RUNS]
#
# The archive is written into BUILD_DIR/bench-files/archive when missing;
# results go to BUILD_DIR/bench-results/search-*.
set -eu

BUILD=${1:-build-bench}
RUNS=${2:-${BENCH_RUNS:-10}}
REPS=${BENCH_REPETITIONS:-5}
LIST="$BUILD/cli/vaveze-list"
FILES="$BUILD/bench-files"
ARCHIVE="$FILES/archive"
OUT="$BUILD/bench-results"
mkdir -p "$OUT"
export LC_ALL=C.UTF-8

# run-bench.sh writes it with the other files; alone, it is written here.
if [ ! -f "$ARCHIVE/.complete" ] && ! { [ -f "$FILES/.complete" ] && [ -d "$ARCHIVE" ]; }; then
    rm -rf "$ARCHIVE" && mkdir -p "$FILES"
    "$BUILD/bench/vaveze_make_bench_files" --archive "$ARCHIVE"
    touch "$ARCHIVE/.complete"
fi
echo "== $(find "$ARCHIVE" -name '*.zvw' | wc -l) drawings, $(du -sk "$ARCHIVE" | cut -f1) KiB in $ARCHIVE"

# The same hits: each line found with its path, the numbers --grep adds left out.
"$LIST" --grep 浴室 -r --utf8 "$ARCHIVE" | sed 's/^\([^:]*\):[0-9]*:/\1:/' >"$OUT/search-grep.txt"
"$LIST" -r --utf8 "$ARCHIVE" 2>/dev/null | grep -F 浴室 >"$OUT/search-pipeline.txt"
if ! cmp -s "$OUT/search-grep.txt" "$OUT/search-pipeline.txt"; then
    echo "search-archive: --grep and the pipeline found different lines" >&2
    exit 1
fi
echo "same hits: $(wc -l <"$OUT/search-grep.txt") lines in $(cut -d: -f1 "$OUT/search-grep.txt" | sort -u | wc -l) files"

hyperfine --style basic --warmup 2 --runs "$RUNS" --export-csv "$OUT/search-tool.csv" \
    -n "vaveze-list --grep" "'$LIST' --grep 浴室 -r '$ARCHIVE' > /dev/null" \
    -n "vaveze-list | grep -F" "'$LIST' -r --utf8 '$ARCHIVE' | grep -F 浴室 > /dev/null"

# The two again, alternating, so that a load that comes and goes on a shared
# machine falls on both alike: the median wall time of each.
now() { date +%s%N; }
: >"$OUT/search-alternating.txt"
for run in $(seq "$RUNS"); do
    start=$(now); "$LIST" --grep 浴室 -r "$ARCHIVE" >/dev/null; middle=$(now)
    "$LIST" -r --utf8 "$ARCHIVE" 2>/dev/null | grep -F 浴室 >/dev/null; end=$(now)
    echo "$(( (middle - start) / 1000 )) $(( (end - middle) / 1000 ))" >>"$OUT/search-alternating.txt"
done
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f ms", v[int((NR + 1) / 2)] / 1000 }'; }
echo "alternating, median of $RUNS: --grep $(cut -d' ' -f1 "$OUT/search-alternating.txt" | median)," \
    "the pipeline $(cut -d' ' -f2 "$OUT/search-alternating.txt" | median)"

"$BUILD/bench/vaveze_search_bench" --files="$FILES" --benchmark_repetitions="$REPS" \
    --benchmark_report_aggregates_only=true --benchmark_out="$OUT/search-window.csv" --benchmark_out_format=csv
