#!/bin/sh
# Fuzzes every reader of outside data for long: builds the fuzz targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (a TINDRAL_SANITIZE build of its own),
# runs each from a fresh working copy of its seeds for SECONDS (default 60) or 10 million
# inputs, whichever comes first, and prints a table: target, inputs run, seconds, findings.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# TARGET names (pak, png, ...) pick targets; all by default. Environment:
#   TINDRAL_FUZZ_BUILD  the build folder (default build-fuzz in the repository)
#   TINDRAL_FUZZ_JOBS   targets run at once (default 1)
#   TINDRAL_FUZZ_RUNS   the most inputs per target (default 10000000)
# Each target's working folder is BUILD/tests/fuzz/long/TARGET: its grown corpus, its log
# and any finding (crash-*, leak-*, timeout-*, oom-*), which stops that target's run.
# Replay a finding with BUILD/tests/bin/fuzz_TARGET FILE; keep it as a regression input in
# tests/fuzz/regressions/TARGET/. Exit status 1 when anything was found.
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${TINDRAL_FUZZ_BUILD:-$source_dir/build-fuzz}
jobs=${TINDRAL_FUZZ_JOBS:-1}
runs=${TINDRAL_FUZZ_RUNS:-10000000}

case $seconds in
'' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
    exit 2
    ;;
esac
if ! command -v clang++ >/dev/null 2>&1; then
    echo "clang++ is missing (scripts/setup.sh all installs clang and libclang-rt-14-dev)" >&2
    exit 2
fi

CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTINDRAL_SANITIZE=ON >/dev/null
list="$build/tests/fuzz/fuzz_targets.txt"
all=$(cut -d' ' -f1 "$list")
targets=${*:-$all}
for target in $targets; do
    if ! grep -q "^$target " "$list"; then
        echo "no fuzz target '$target' (there are: $(echo "$all" | tr '\n' ' '))" >&2
        exit 2
    fi
done
# shellcheck disable=SC2046
cmake --build "$build" -j"$(nproc)" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

# Inputs go through files: keep them in memory where possible.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64}"

# Runs one target in its working folder and leaves "inputs seconds findings" in its
# result file.
run_target() {
    target=$1
    # shellcheck disable=SC2046 # the line's words: name, longest input, seed folders
    set -- $(grep "^$target " "$list")
    max_len=$2
    shift 2
    work="$build/tests/fuzz/long/$target"
    rm -rf "$work"
    mkdir -p "$work/corpus"
    for seeds in "$@"; do
        cp "$seeds"/* "$work/corpus/" 2>/dev/null || true
    done
    start=$(date +%s)
    "$build/tests/bin/fuzz_$target" -max_total_time="$seconds" -runs="$runs" \
        -max_len="$max_len" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1 || true
    end=$(date +%s)
    inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    findings=$(find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o \
        -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    echo "${inputs:-?} $((end - start)) $findings" >"$work/result"
}

# TINDRAL_FUZZ_JOBS lanes, each running its share of the targets one after the other.
lane=0
while [ "$lane" -lt "$jobs" ]; do
    (
        i=0
        for target in $targets; do
            [ $((i % jobs)) -eq "$lane" ] && run_target "$target"
            i=$((i + 1))
        done
    ) &
    lane=$((lane + 1))
done
wait

total=0
printf '%-14s %12s %8s %9s\n' target executions seconds findings
for target in $targets; do
    work="$build/tests/fuzz/long/$target"
    read -r inputs taken findings <"$work/result"
    printf '%-14s %12s %8s %9s\n' "$target" "$inputs" "$taken" "$findings"
    total=$((total + findings))
    find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o \
        -name 'oom-*' \) -exec echo "    {}" \;
done
[ "$total" -eq 0 ]
