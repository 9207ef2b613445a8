#!/bin/sh
# Sets up, builds and runs every test. Run as root on a fresh Debian 12 machine (or with sudo rights).
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh all
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
