#!/bin/sh
# Installs what is missing, builds the player and plays the bundled demo game.
set -eu
cd "$(dirname "$0")/.."
./tools/install-deps.sh
./tools/build.sh build
exec ./build/tsuzuri demo
