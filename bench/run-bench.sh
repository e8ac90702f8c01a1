#!/bin/sh
# Runs every benchmark and comparison of BENCHMARKS.md on this machine and
# prints the summary it quotes. `make bench` builds the targets and calls it:
#
#   bench/run-bench.sh BUILD_DIR
#
# BENCH_REPETITIONS (default 5) is the number of repetitions of each Google
# Benchmark item, BENCH_PANE_REPETITIONS (default 3) those of the window
# items, BENCH_RUNS (default 5) the runs of each command compared with
# hyperfine. Every figure quoted is the median of its repetitions.
# BENCH_BEFORE may name another vaveze-list (say, built from an earlier
# commit) to be timed beside this one. Results go to BUILD_DIR/bench-results.
set -eu

BUILD=${1:-build-bench}
FILES="$BUILD/bench-files"
OUT="$BUILD/bench-results"
REPS=${BENCH_REPETITIONS:-5}
PANE_REPS=${BENCH_PANE_REPETITIONS:-3}
RUNS=${BENCH_RUNS:-5}
LIST="$BUILD/cli/vaveze-list"
GENERATOR="$BUILD/bench/vaveze_make_bench_files"
# Shift-JIS named, as the listing's encoding to a pipe follows the locale.
ALL="--sjis --header --dimensions --blocks"

for tool in hyperfine strings iconv /usr/bin/time; do
    command -v "$tool" >/dev/null 2>&1 || { echo "run-bench: $tool is missing" >&2; exit 1; }
done
mkdir -p "$OUT"

# The files are rewritten whenever the generator has changed.
if [ ! -f "$FILES/.complete" ] || [ "$GENERATOR" -nt "$FILES/.complete" ]; then
    echo "== writing the benchmark files into $FILES"
    rm -rf "$FILES"
    "$GENERATOR" "$FILES"
    touch "$FILES/.complete"
fi

echo "== machine"
{
    grep -m1 "model name" /proc/cpuinfo | sed 's/.*: //'
    echo "$(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) memory"
    uptime | sed 's/.*load/load/'
} | tee "$OUT/machine.txt"

echo "== parse + listing (Google Benchmark, $REPS repetitions)"
"$BUILD/bench/vaveze_parse_bench" --files="$FILES" --benchmark_repetitions="$REPS" \
    --benchmark_report_aggregates_only=true --benchmark_out="$OUT/parse.csv" --benchmark_out_format=csv

if [ -x "$BUILD/bench/vaveze_pane_bench" ]; then
    # Repetitions interleaved, so that the window and the bare pane it is
    # held against share whatever else the machine is doing.
    echo "== the window's pane ($PANE_REPS repetitions; appending line by line takes a while)"
    QT_QPA_PLATFORM=offscreen "$BUILD/bench/vaveze_pane_bench" --files="$FILES" \
        --benchmark_repetitions="$PANE_REPS" --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true \
        --benchmark_out="$OUT/pane.csv" --benchmark_out_format=csv
else
    echo "== the window's pane: not built (VAVEZE_BUILD_GUI is off)"
    rm -f "$OUT/pane.csv"
fi

BEFORE=${BENCH_BEFORE:-}
for name in large.zvw large.zvs largest.zvc largest.zvk; do
    file="$FILES/$name"
    echo "== $name: the tool against what a user would otherwise do ($RUNS runs)"
    set -- -n cat "cat '$file' > /dev/null" \
        -n strings-iconv "strings -a -e S '$file' | iconv -c -f CP932 -t UTF-8 > /dev/null" \
        -n vaveze-list "'$LIST' $ALL '$file' > /dev/null"
    [ -n "$BEFORE" ] && set -- "$@" -n before "'$BEFORE' $ALL '$file' > /dev/null"
    hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$OUT/compare-$name.csv" "$@"
done

echo "== peak resident memory of vaveze-list (highest of 3 runs)"
: > "$OUT/memory.txt"
for name in large.zvw large.zvs largest.zvc largest.zvk; do
    file="$FILES/$name"
    peak=0
    for run in 1 2 3; do
        kb=$(/usr/bin/time -v "$LIST" $ALL "$file" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { print $2 + 0 }')
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    echo "$name $(stat -L -c %s "$file") $peak" | tee -a "$OUT/memory.txt"
done

echo "== hostile inputs: peak memory against 64 MiB + 32 x size"
BUILD_DIR="$BUILD" WORK_DIR="$OUT/worst-cases" sh "$(dirname "$0")/../fuzz/measure-bounds.sh" 1024 8192 |
    tee "$OUT/bounds.txt" || true

SMALL=$(ls "$FILES"/small/*.zvw | wc -l)
echo "== vaveze-list --save over $SMALL small drawings ($RUNS runs): new listings, then replacing them"
hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$OUT/save-folder.csv" \
    --prepare "rm -f '$FILES'/small/*.txt" \
    -n save-folder "'$LIST' --save $ALL '$FILES'/small/*.zvw 2>/dev/null"
hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$OUT/save-folder-replace.csv" \
    -n save-folder-replace "'$LIST' --save $ALL '$FILES'/small/*.zvw 2>/dev/null"

echo "== a search across an archive of 2,000 drawings"
sh "$(dirname "$0")/search-archive.sh" "$BUILD" "$RUNS"

sh "$(dirname "$0")/summarize.sh" "$OUT" "$SMALL" | tee "$OUT/summary.md"
