#!/bin/sh
# Runs each fuzz target in turn for FUZZ_SECONDS (default 600) and reports,
# per target, the executions and the findings. Usage (from the top folder):
#   fuzz/run-fuzzers.sh [TARGET...]        targets: zvw zvs zvc zvk text salvage
# Environment: FUZZ_SECONDS, FUZZ_RUNS (stop after that many executions
# instead, if sooner), FUZZ_MAX_LEN (largest input, instead of the target's
# default below), FUZZ_BUILD_DIR (build-fuzz), SEED_DIR (the normal
# build's generated seeds, build/fuzz/seeds). Exit status 1 when anything
# was found; the inputs that failed are left in FUZZ_BUILD_DIR/findings/.
set -u

FUZZ_SECONDS=${FUZZ_SECONDS:-600}
FUZZ_RUNS=${FUZZ_RUNS:--1}
FUZZ_BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
SEED_DIR=${SEED_DIR:-build/fuzz/seeds}
TARGETS=${*:-zvw zvs zvc zvk text salvage}

# Largest input per target: the Windows headers and the drawing file layout
# need a few kilobytes before the first entity.
max_len() {
    [ -n "${FUZZ_MAX_LEN:-}" ] && { echo "$FUZZ_MAX_LEN"; return; }
    case $1 in
        zvw) echo 32768 ;;
        zvs) echo 16384 ;;
        zvc) echo 16384 ;;
        zvk) echo 4096 ;;
        salvage) echo 16384 ;;
        *) echo 1024 ;;
    esac
}

cmake --preset fuzz >/dev/null || exit 2
cmake --build "$FUZZ_BUILD_DIR" -j "$(nproc)" || exit 2

summary=""
found_any=0
for t in $TARGETS; do
    corpus="$FUZZ_BUILD_DIR/corpus/$t"
    findings="$FUZZ_BUILD_DIR/findings/$t"
    log="$FUZZ_BUILD_DIR/fuzz-$t.log"
    mkdir -p "$corpus" "$findings"
    set -- "$corpus" "fuzz/regressions/$t"
    [ -d "$SEED_DIR/$t" ] && set -- "$@" "$SEED_DIR/$t"
    echo "fuzz: $t for ${FUZZ_SECONDS}s (log $log)"
    # Memory: any input of at most max_len bytes must stay far below
    # 64 MiB + 32 x its size, so one allocation above 64 MiB is a finding.
    "$FUZZ_BUILD_DIR/fuzz/fuzz_$t" -max_total_time="$FUZZ_SECONDS" -runs="$FUZZ_RUNS" -max_len="$(max_len "$t")" \
        -dict="fuzz/dict/$t.dict" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=64 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$@" >"$log" 2>&1
    status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
    count=$(find "$findings" -type f | wc -l)
    [ "$status" -ne 0 ] || [ "$count" -ne 0 ] && found_any=1
    summary="$summary$(printf '%-5s %12s executions in %6ss  %3s findings  exit %s' "$t" "${execs:-?}" \
        "${seconds:-?}" "$count" "$status")
"
done
printf '\nfuzz summary (at most %ss per target):\n%s' "$FUZZ_SECONDS" "$summary"
exit "$found_any"
