#!/bin/sh
# Sets up, builds and runs every test. Run as root on a fresh Debian 12 machine (or with sudo rights).
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
