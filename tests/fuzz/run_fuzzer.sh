#!/bin/sh
# Builds one fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# straight from the sources, then replays its seed corpus and fuzzes for a fixed number of
# runs with a fixed seed. Exit 77 (skipped) when the compiler cannot build fuzzers.
#
#   run_fuzzer.sh TARGET SOURCE_DIR WORK_DIR CXX TINDRAL_PAK
#
# TARGET is pak, settings or model. TINDRAL_FUZZ_RUNS overrides the number of runs (default
# 20000; 200000 for the model reader, which needs no files and runs much faster).
set -eu
target=$1 src=$2 work=$3 cxx=$4 pak_tool=$5
case $target in
model) runs=${TINDRAL_FUZZ_RUNS:-200000} ;;
*) runs=${TINDRAL_FUZZ_RUNS:-20000} ;;
esac

mkdir -p "$work"
if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "no $cxx: fuzzing skipped"
    exit 77
fi
probe="$work/probe-$target"
if ! printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' |
    "$cxx" -x c++ -fsanitize=fuzzer - -o "$probe" >/dev/null 2>&1; then
    echo "$cxx cannot link libFuzzer (libclang-rt-14-dev missing?): fuzzing skipped"
    exit 77
fi

case $target in
pak) sources="$src/tests/fuzz/fuzz_pak.cpp $src/engine/pak.cpp $src/engine/replacing_file.cpp" ;;
settings) sources="$src/tests/fuzz/fuzz_settings.cpp $src/shell/settings.cpp" ;;
model)
    sources="$src/tests/fuzz/fuzz_model.cpp $src/game/model_file.cpp $src/game/model.cpp
             $src/game/vector.cpp $src/shell/log.cpp"
    ;;
*) echo "unknown fuzz target $target" >&2; exit 2 ;;
esac

binary="$work/fuzz_$target"
# Floating-point contraction off, as in the main build: the model code relies on it.
# shellcheck disable=SC2086
"$cxx" -std=c++20 -g -O1 -ffp-contract=off -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I "$src" $sources -o "$binary"

# A fresh working corpus each time: libFuzzer adds what it finds to it.
corpus="$work/corpus-$target"
rm -rf "$corpus"
mkdir -p "$corpus"
case $target in
pak)
    seeds="$work/seeds-pak"
    rm -rf "$seeds"
    mkdir -p "$seeds/a" "$seeds/b"
    printf 'A 0 0 12 16\nB 12 0 11 16\n' >"$seeds/a/font_list.txt"
    printf '\000\001\002\377\376binary\n' >"$seeds/a/wall.png"
    : >"$seeds/a/empty.dat"
    printf 'newer\n' >"$seeds/b/wall.png"
    "$pak_tool" create "$corpus/three.pak" "$seeds/a/font_list.txt" "$seeds/a/wall.png" "$seeds/a/empty.dat"
    "$pak_tool" create "$corpus/duplicate.pak" "$seeds/a/wall.png" "$seeds/b/wall.png"
    "$pak_tool" create "$corpus/none.pak"
    ;;
settings | model)
    cp "$src"/tests/fuzz/corpus/"$target"/* "$corpus/"
    ;;
esac

# The targets write every input to a file: keep that in memory when possible.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
# A small quarantine keeps memory and time down; use-after-free is still caught.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
log="$work/fuzz_$target.log"
if ! "$binary" -runs="$runs" -seed=1 -max_len=4096 -timeout=10 -artifact_prefix="$work/crash-$target-" \
    "$corpus" >"$log" 2>&1; then
    cat "$log"
    exit 1
fi
grep -E '^#[0-9]+.*(INITED|DONE)|^Done' "$log"
