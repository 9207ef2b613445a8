#!/bin/sh
# Builds one fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# from the sources CMake lists for it, then replays its seed corpus and fuzzes for a fixed
# number of runs with a fixed seed. Exit 77 (skipped) when the compiler cannot build fuzzers.
#
#   run_fuzzer.sh TARGET SOURCES_FILE SOURCE_DIR WORK_DIR CXX TINDRAL_PAK
#
# TARGET is pak, settings or model. SOURCES_FILE (written by tests/fuzz/CMakeLists.txt)
# holds one item a line: "harness FILE", "library NAME FOLDER" followed by that library's
# "source FILE" lines (relative to FOLDER unless absolute), and "include FOLDER" lines.
# Each library becomes a static archive, so the target links only the objects it reaches.
# TINDRAL_FUZZ_RUNS overrides the number of runs (default 20000; 200000 for the model
# reader, which needs no files and runs much faster).
set -eu
target=$1 list=$2 src=$3 work=$4 cxx=$5 pak_tool=$6
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

# Floating-point contraction off, as in the main build: the model code relies on it.
flags="-std=c++20 -gline-tables-only -O1 -ffp-contract=off -fsanitize=address,undefined -fno-sanitize-recover=undefined"
# Every library's include folders, each once; the system's own folder stays last, where
# the compiler keeps it.
includes=""
while read -r key value; do
    case "$key:$value: $includes " in
    include:/usr/include:* | include::* | *" -I$value "*) ;;
    include:*) includes="$includes -I$value" ;;
    esac
done <"$list"

objects="$work/objects-$target"
rm -rf "$objects"
mkdir -p "$objects"
harness=""
archives=""
compile_library() {
    [ -n "$library" ] || return 0
    set -- "$objects/$library"/*.o
    if [ -e "$1" ]; then
        ar rcs "$objects/lib$library.a" "$@"
        archives="$archives $objects/lib$library.a"
    fi
}
library="" folder="" n=0
while read -r key value; do
    case $key in
    harness) harness=$value ;;
    library)
        compile_library
        library=${value%% *} folder=${value#* }
        mkdir -p "$objects/$library"
        ;;
    source)
        case $value in
        *.cpp | *.cc | *.c) ;;
        *) continue ;;
        esac
        case $value in
        /*) file=$value ;;
        *) file=$folder/$value ;;
        esac
        n=$((n + 1))
        name=$(basename "$file")
        # shellcheck disable=SC2086
        "$cxx" $flags -fsanitize=fuzzer-no-link $includes -c "$file" \
            -o "$objects/$library/$n-${name%.*}.o"
        ;;
    esac
done <"$list"
compile_library
if [ -z "$harness" ] || [ -z "$archives" ]; then
    echo "$list names no harness or no sources" >&2
    exit 2
fi

binary="$work/fuzz_$target"
# shellcheck disable=SC2086
"$cxx" $flags -fsanitize=fuzzer $includes "$harness" -Wl,--start-group $archives -Wl,--end-group \
    -o "$binary"

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
