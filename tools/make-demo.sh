#!/bin/sh
# Remakes the demo game in demo/ from tools/demo: pictures and sounds are generated, scripts
# converted from their UTF-8 sources to Shift-JIS.
set -eu
cd "$(dirname "$0")/.."
./tools/build.sh build
rm -rf demo/cg demo/wave demo/script demo/Game.INI
./build/tools/demo/make_demo_assets tools/demo/story demo
