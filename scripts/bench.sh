#!/bin/sh
# Builds the game for speed (Release, in build-bench/) and prints its figures on this
# machine: start-up to the first drawn frame, frame times and processor time per frame in
# the menu and in a running "High Score" match, resident memory, and the simulation's
# steps per second. The game runs unchanged in a private Xvfb screen at its usual size.
# TINDRAL_BENCH_SECONDS sets how long each part is measured (default 6).
set -eu
cd "$(dirname "$0")/.."
build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tindral tindral-sim tindral-frame-times tindral_data
exec tests/e2e/xvfb_run.sh python3 scripts/bench.py "$build"
