#!/bin/sh
# Configures and builds the player and its tests into build/ (or the folder given as $1).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
shift 2>/dev/null || true
cmake -S . -B "$BUILD_DIR" -G Ninja "$@" >/dev/null
cmake --build "$BUILD_DIR"
