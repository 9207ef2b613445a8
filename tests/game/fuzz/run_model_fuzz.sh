#!/bin/sh
# Builds the model-reader fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) straight from the sources, then replays the seed files and
# fuzzes for a fixed number of runs with a fixed seed, like the archive and settings
# targets under tests/fuzz. Exit 77 (skipped) when the compiler cannot build fuzzers.
#
#   run_model_fuzz.sh SOURCE_DIR WORK_DIR CXX
#
# TINDRAL_MODEL_FUZZ_RUNS overrides the number of runs (default 200000, a few seconds).
set -eu
src=$1 work=$2 cxx=$3
runs=${TINDRAL_MODEL_FUZZ_RUNS:-200000}

mkdir -p "$work"
if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "no $cxx: fuzzing skipped"
    exit 77
fi
probe="$work/probe-model"
if ! printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' |
    "$cxx" -x c++ -fsanitize=fuzzer - -o "$probe" >/dev/null 2>&1; then
    echo "$cxx cannot link libFuzzer (libclang-rt-14-dev missing?): fuzzing skipped"
    exit 77
fi

binary="$work/fuzz_model"
"$cxx" -std=c++20 -g -O1 -ffp-contract=off -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I "$src" \
    "$src/tests/game/fuzz/model_fuzz.cpp" "$src/game/model_file.cpp" "$src/game/model.cpp" \
    "$src/game/vector.cpp" "$src/shell/log.cpp" -o "$binary"

# A fresh working corpus each time: libFuzzer adds what it finds to it.
corpus="$work/corpus-model"
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$src"/tests/game/fuzz/corpus/* "$corpus/"

export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
log="$work/fuzz_model.log"
if ! "$binary" -runs="$runs" -seed=1 -max_len=4096 -timeout=10 \
    -artifact_prefix="$work/crash-model-" "$corpus" >"$log" 2>&1; then
    cat "$log"
    exit 1
fi
grep -E '^#[0-9]+.*(INITED|DONE)|^Done' "$log"
