#!/bin/sh
# Sets up what building and playing need (no test tools), builds the game and starts it.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target tindral
exec ./build/tindral
