#!/bin/sh
# vaveze-list over a tree of 1,000 small drawing and symbol files (the four
# samples, 250 times, in 50 nested folders): --save --output-dir with one
# job and with two, side by side, and the grep pipeline over the tree.
#
#   bench/cli-batch.sh BUILD_DIR [RUNS]
#
# Results go to BUILD_DIR/bench-results/cli-batch-*.csv.
set -eu

BUILD=${1:-build-bench}
RUNS=${2:-${BENCH_RUNS:-5}}
LIST="$BUILD/cli/vaveze-list"
SAMPLES="$(dirname "$0")/../samples"
TREE="$BUILD/bench-files/tree"
OUTDIR="$BUILD/bench-files/tree-listings"
OUT="$BUILD/bench-results"
mkdir -p "$OUT"

if [ ! -f "$TREE/.complete" ]; then
    rm -rf "$TREE"
    for top in 0 1 2 3 4 5 6 7 8 9; do
        for sub in 0 1 2 3 4; do
            dir="$TREE/project$top/floor$sub"
            mkdir -p "$dir"
            for n in 0 1 2 3 4; do
                for sample in "$SAMPLES"/*.zv?; do
                    base=$(basename "$sample")
                    cp "$sample" "$dir/${n}-$base"
                done
            done
        done
    done
    touch "$TREE/.complete"
fi
echo "== $(find "$TREE" -type f -name '*.zv?' | wc -l) files, $(du -sk "$TREE" | cut -f1) KiB in $TREE"

hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$OUT/cli-batch-save.csv" \
    --prepare "rm -rf '$OUTDIR'" \
    -n "save -j 1" "'$LIST' -r -q --save --output-dir '$OUTDIR' -j 1 '$TREE' 2>/dev/null" \
    -n "save -j 2" "'$LIST' -r -q --save --output-dir '$OUTDIR' -j 2 '$TREE' 2>/dev/null"

hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$OUT/cli-batch-grep.csv" \
    -n "grep -j 1" "'$LIST' -r --utf8 -j 1 '$TREE' 2>/dev/null | grep -c 居間" \
    -n "grep -j 2" "'$LIST' -r --utf8 -j 2 '$TREE' 2>/dev/null | grep -c 居間"
