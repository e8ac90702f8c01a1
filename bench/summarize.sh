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
            f = files[i]; p = "parse_list/" f; t = "touch_every_byte/" f
            if (!(p in cpu)) continue
            printf "| %s | %.1f MB | %.1f | %.1f | %.0f MB/s | %.2f GB/s | %.1f %% |\n",
                f, bps[p] * cpu[p] / 1e9, real[p], cpu[p], bps[p] / 1e6, bps[t] / 1e9, 100 * bps[p] / bps[t]
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
echo "### vaveze-list against cat and strings | iconv (hyperfine, median seconds)"
echo
echo "| File | cat | strings \\| iconv | vaveze-list | vaveze-list / cat | speed vs strings \\| iconv |"
echo "|---|---:|---:|---:|---:|---:|"
for name in large.zvw large.zvs; do
    [ -f "$OUT/compare-$name.csv" ] || continue
    hyper "$OUT/compare-$name.csv" | awk -v f="$name" '
        { t[$1] = $2 }
        END { printf "| %s | %.3f | %.3f | %.3f | %.1f x | %.1f x |\n", f, t["cat"], t["strings-iconv"], t["vaveze-list"],
              t["vaveze-list"] / t["cat"], t["strings-iconv"] / t["vaveze-list"] }'
done

echo
echo "### Peak resident memory of vaveze-list (highest of 3 runs)"
echo
echo "| File | Size | Peak RSS | Bound 64 MiB + 4 x size | Peak / size |"
echo "|---|---:|---:|---:|---:|"
awk '{ size = $2; peak = $3 * 1024; bound = 64 * 1048576 + 4 * size
       printf "| %s | %.1f MB | %.1f MB | %.1f MB | %.2f |\n", $1, size / 1e6, peak / 1e6, bound / 1e6, peak / size }' \
    "$OUT/memory.txt"

echo
echo "### vaveze-list --save over a folder of $SMALL small drawings"
echo
hyper "$OUT/save-folder.csv" | awk -v n="$SMALL" '{ printf "- new listings: %.3f s median, %.0f files per second\n", $2, n / $2 }'
[ -f "$OUT/save-folder-replace.csv" ] && hyper "$OUT/save-folder-replace.csv" |
    awk -v n="$SMALL" '{ printf "- replacing the listings of the run before: %.3f s median, %.0f files per second\n", $2, n / $2 }'

echo
echo "### Targets"
echo
echo "| Target | Measured | |"
echo "|---|---|---|"
for f in large.zvw large.zvs; do
    share=$(awk -v f="$f" '{ bps[$1] = $4 } END { printf "%.1f", 100 * bps["parse_list/" f] / bps["touch_every_byte/" f] }' "$OUT/parse.medians")
    echo "| parse + listing of $f >= 20 % of touch every byte | $share % | $(pass "$(awk -v s="$share" 'BEGIN { print (s >= 20) }')") |"
done
for f in large.zvw large.zvs; do
    [ -f "$OUT/compare-$f.csv" ] || continue
    speed=$(hyper "$OUT/compare-$f.csv" | awk '{ t[$1] = $2 } END { printf "%.1f", t["strings-iconv"] / t["vaveze-list"] }')
    echo "| vaveze-list on $f >= 10 x strings \\| iconv | $speed x | $(pass "$(awk -v s="$speed" 'BEGIN { print (s >= 10) }')") |"
done
scale=$(awk '{ cpu[$1] = $3 } END { printf "%.1f", cpu["scaling/scale-100x.zvw"] / cpu["scaling/scale-1x.zvw"] }' "$OUT/parse.medians")
echo "| 100x file <= 110 x the time of the 1x file | $scale x | $(pass "$(awk -v s="$scale" 'BEGIN { print (s <= 110) }')") |"
if [ -s "$OUT/pane.medians" ]; then
    awk '
        $1 ~ /show_at_once/ { once = $2 } $1 ~ /line_by_line/ { each = $2 }
        END {
            printf "| pane filled >= 25 x faster than line by line | %.1f x | %s |\n", each / once, (each / once >= 25 ? "met" : "**not met**")
            printf "| pane filled in under one second | %.0f ms | %s |\n", once, (once < 1000 ? "met" : "**not met**")
        }' "$OUT/pane.medians"
    awk '
        $1 ~ /window_full/ { wall = $2; cpu = $3 } $1 ~ /bare_full/ { bareWall = $2; bareCpu = $3 }
        END {
            if (wall > 0 && bareWall > 0)
                printf "| full pane through the window <= 1.10 x a bare QPlainTextEdit | %.0f ms against %.0f ms: %.2f x (CPU %.2f x) | %s |\n",
                    wall, bareWall, wall / bareWall, cpu / bareCpu, (wall / bareWall <= 1.10 ? "met" : "**not met**")
        }' "$OUT/pane.medians"
fi
awk '{ bound = 64 * 1048576 + 4 * $2; peak = $3 * 1024
       printf "| peak RSS on %s <= 64 MiB + 4 x size | %.0f MB of %.0f MB | %s |\n", $1, peak / 1e6, bound / 1e6, (peak <= bound ? "met" : "**not met**") }' \
    "$OUT/memory.txt"
hyper "$OUT/save-folder.csv" | awk -v n="$SMALL" '{ r = n / $2; printf "| --save over %d drawings >= 500 files/s | %.0f files/s | %s |\n", n, r, (r >= 500 ? "met" : "**not met**") }'
