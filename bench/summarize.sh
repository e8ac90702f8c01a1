#!/bin/sh
# Turns the results of run-bench.sh into the tables of BENCHMARKS.md:
#   bench/summarize.sh RESULTS_DIR SMALL_FILE_COUNT
set -eu
OUT=$1
SMALL=$2

# Google Benchmark CSV: prints name, real ms, cpu ms and bytes per second of
# every item, from its median row (its only row when run once).
medians() {
    [ -f "$1" ] || return 0
    awk -F, '
        /^name,/ { for (i = 1; i <= NF; i++) col[$i] = i; next }
        /^"/ {
            name = $1; gsub(/"/, "", name)
            if (name ~ /_(mean|stddev|cv)$/) next
            row = $col["real_time"] " " $col["cpu_time"] " " ($col["bytes_per_second"] == "" ? 0 : $col["bytes_per_second"])
            if (name ~ /_median$/) { sub(/_median$/, "", name); median[name] = row } else single[name] = row
        }
        END {
            for (name in median) print name, median[name]
            for (name in single) if (!(name in median)) print name, single[name]
        }' "$1"
}

# hyperfine CSV: command name and median seconds.
hyper() { awk -F, 'NR > 1 { print $1, $4 }' "$1"; }

medians "$OUT/parse.csv" > "$OUT/parse.medians"
medians "$OUT/pane.csv" > "$OUT/pane.medians"

pass() { awk -v ok="$1" 'BEGIN { print (ok ? "met" : "**not met**") }'; }

echo "### Parse + listing, every option on (Google Benchmark, medians)"
echo
echo "| File | Size | Wall ms | CPU ms | Throughput (CPU) | Touch every byte | Share of it |"
echo "|---|---:|---:|---:|---:|---:|---:|"
awk '
    { real[$1] = $2; cpu[$1] = $3; bps[$1] = $4 }
    END {
        n = split("large.zvw large.zvs largest.zvc largest.zvk", files, " ")
        for (i = 1; i <= n; i++) {
            f = files[i]; t = "touch_every_byte/" f
            for (k = 1; k <= 2; k++) {
                p = (k == 1 ? "parse_list/" : "parse_texts_list/") f
                if (!(p in cpu)) continue
                printf "| %s%s | %.1f MB | %.1f | %.1f | %.0f MB/s | %.2f GB/s | %.1f %% |\n",
                    f, (k == 1 ? "" : ", texts alone"), bps[p] * cpu[p] / 1e9, real[p], cpu[p], bps[p] / 1e6,
                    bps[t] / 1e9, 100 * bps[p] / bps[t]
            }
        }
    }' "$OUT/parse.medians"
echo
echo "Same passes with memory recycled between them (no pages given back):"
echo
echo "| File | CPU ms | Throughput (CPU) | Share of touch every byte |"
echo "|---|---:|---:|---:|"
awk '
    { cpu[$1] = $3; bps[$1] = $4 }
    END {
        split("large.zvw large.zvs", files, " ")
        for (i = 1; i <= 2; i++) {
            f = files[i]; p = "parse_list_recycled/" f
            if (p in cpu)
                printf "| %s | %.1f | %.0f MB/s | %.1f %% |\n", f, cpu[p], bps[p] / 1e6, 100 * bps[p] / bps["touch_every_byte/" f]
        }
    }' "$OUT/parse.medians"

echo
echo "### Scaling: one drawing's content 1, 10 and 100 times (CPU ms, medians)"
echo
echo "| Series | 1x | 10x | 100x | 10x / 1x | 100x / 1x |"
echo "|---|---:|---:|---:|---:|---:|"
awk '
    { cpu[$1] = $3 }
    END {
        split("scaling scaling_recycled", series, " ")
        for (i = 1; i <= 2; i++) {
            s = series[i]; a = cpu[s "/scale-1x.zvw"]; b = cpu[s "/scale-10x.zvw"]; c = cpu[s "/scale-100x.zvw"]
            if (a > 0)
                printf "| %s | %.3f | %.2f | %.1f | %.1f | %.1f |\n", (s == "scaling" ? "fresh memory" : "recycled memory"), a, b, c, b / a, c / a
        }
    }' "$OUT/parse.medians"

if [ -s "$OUT/pane.medians" ]; then
    echo
    echo "### The window's pane, 8,200,000 characters (wall ms, medians)"
    echo
    echo "| Item | Wall ms | CPU ms |"
    echo "|---|---:|---:|"
    awk '{ sub(/\/iterations:1/, "", $1); sub(/\/real_time/, "", $1); printf "| %s | %.0f | %.0f |\n", $1, $2, $3 }' \
        "$OUT/pane.medians"
fi

echo
echo "### vaveze-list against cat and strings | iconv (hyperfine, median seconds, one run per file)"
echo
echo "| File | cat | strings \\| iconv | vaveze-list | before | share of cat's speed | speed vs strings \\| iconv |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for name in large.zvw large.zvs largest.zvc largest.zvk; do
    [ -f "$OUT/compare-$name.csv" ] || continue
    hyper "$OUT/compare-$name.csv" | awk -v f="$name" '
        { t[$1] = $2 }
        END { printf "| %s | %.3f | %.3f | %.3f | %s | %.1f %% | %.1f x |\n", f, t["cat"], t["strings-iconv"], t["vaveze-list"],
              ("before" in t ? sprintf("%.3f", t["before"]) : "-"), 100 * t["cat"] / t["vaveze-list"], t["strings-iconv"] / t["vaveze-list"] }'
done

echo
echo "### Peak resident memory of vaveze-list (highest of 3 runs)"
echo
echo "| File | Size | Peak RSS | Goal 64 MiB + 1.5 x size | Peak as 64 MiB + k x size |"
echo "|---|---:|---:|---:|---:|"
awk '{ size = $2; peak = $3 * 1024; goal = 64 * 1048576 + 1.5 * size
       printf "| %s | %.1f MB | %.1f MB | %.1f MB | k = %.2f |\n", $1, size / 1e6, peak / 1e6, goal / 1e6, (peak - 64 * 1048576) / size }' \
    "$OUT/memory.txt"

if [ -s "$OUT/bounds.txt" ]; then
    echo
    echo "### Hostile inputs (fuzz/measure-bounds.sh 1024 8192)"
    echo
    echo "| Input | Bytes | Peak KiB | Bound KiB (64 MiB + 32 x size) | Seconds |"
    echo "|---|---:|---:|---:|---:|"
    awk 'NR > 1 { printf "| %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5 }' "$OUT/bounds.txt"
fi

echo
echo "### vaveze-list --save over a folder of $SMALL small drawings"
echo
hyper "$OUT/save-folder.csv" | awk -v n="$SMALL" '{ printf "- new listings: %.3f s median, %.0f files per second\n", $2, n / $2 }'
[ -f "$OUT/save-folder-replace.csv" ] && hyper "$OUT/save-folder-replace.csv" |
    awk -v n="$SMALL" '{ printf "- replacing the listings of the run before: %.3f s median, %.0f files per second\n", $2, n / $2 }'

echo
echo "### Goals"
echo
echo "| Goal | Measured | |"
echo "|---|---|---|"
for f in large.zvw large.zvs; do
    [ -f "$OUT/compare-$f.csv" ] || continue
    speed=$(hyper "$OUT/compare-$f.csv" | awk '{ t[$1] = $2 } END { printf "%.1f", t["strings-iconv"] / t["vaveze-list"] }')
    echo "| vaveze-list on $f >= 15 x the speed of strings \\| iconv | $speed x | $(pass "$(awk -v s="$speed" 'BEGIN { print (s >= 15) }')") |"
done
for f in large.zvw large.zvs largest.zvc largest.zvk; do
    [ -f "$OUT/compare-$f.csv" ] || continue
    share=$(hyper "$OUT/compare-$f.csv" | awk '{ t[$1] = $2 } END { printf "%.1f", 100 * t["cat"] / t["vaveze-list"] }')
    echo "| vaveze-list on $f >= 10 % of cat's speed | $share % | $(pass "$(awk -v s="$share" 'BEGIN { print (s >= 10) }')") |"
done
for f in largest.zvc largest.zvk; do
    [ -f "$OUT/compare-$f.csv" ] || continue
    hyper "$OUT/compare-$f.csv" | awk -v f="$f" '
        { t[$1] = $2 }
        END { if ("before" in t)
                  printf "| %s at least as fast per byte as before | %.3f s against %.3f s | %s |\n", f, t["vaveze-list"], t["before"],
                         (t["vaveze-list"] <= t["before"] ? "met" : "**not met**") }'
done
awk '{ size = $2; peak = $3 * 1024; goal = 64 * 1048576 + 1.5 * size
       printf "| peak RSS on %s <= 64 MiB + 1.5 x size | %.0f MB of %.0f MB | %s |\n", $1, peak / 1e6, goal / 1e6, (peak <= goal ? "met" : "**not met**") }' \
    "$OUT/memory.txt"
if [ -s "$OUT/bounds.txt" ]; then
    awk 'NR > 1 { n++; if ($3 > $4) over++; r = $3 / $4; if (r > worst) { worst = r; name = $1 } }
         END { printf "| hostile inputs <= 64 MiB + 32 x size | %d inputs, highest %.0f %% of its bound (%s) | %s |\n", n, 100 * worst, name, (over ? "**not met**" : "met") }' \
        "$OUT/bounds.txt"
fi
scale=$(awk '{ cpu[$1] = $3 } END { printf "%.1f", cpu["scaling/scale-100x.zvw"] / cpu["scaling/scale-1x.zvw"] }' "$OUT/parse.medians")
echo "| 100 x the content in <= 105 x the time (CPU, fresh memory) | $scale x | $(pass "$(awk -v s="$scale" 'BEGIN { print (s <= 105) }')") |"
if [ -s "$OUT/pane.medians" ]; then
    awk '
        $1 ~ /^pane\/window_full/ { window = $2 } $1 ~ /^pane\/bare_full/ { bare = $2 }
        END {
            if (window > 0 && bare > 0)
                printf "| the full pane in the window within 10 %% of a bare QPlainTextEdit | %.0f ms against %.0f ms, %.2f x | %s |\n",
                       window, bare, window / bare, (window <= 1.1 * bare ? "met" : "**not met**")
        }' "$OUT/pane.medians"
fi
hyper "$OUT/save-folder.csv" | awk -v n="$SMALL" '{ r = n / $2; printf "| --save over %d drawings >= 500 files/s | %.0f files/s | %s |\n", n, r, (r >= 500 ? "met" : "**not met**") }'
