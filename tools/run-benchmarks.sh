#!/bin/sh
# Builds the player and its benchmarks and prints the performance table.
set -eu
cd "$(dirname "$0")/.."
./tools/install-deps.sh
./tools/build.sh build
python3 tools/bench_report.py build demo
