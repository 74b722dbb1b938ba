#!/bin/sh
# Installs what is missing, builds the player and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
./tools/install-deps.sh
./tools/build.sh build
ctest --test-dir build --output-on-failure -j2
