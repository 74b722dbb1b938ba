#!/bin/sh
# An interlaced GIF as the scene picture: the recorded frame shows its rows in display order,
# centred on the screen. ImageMagick wrote the 40x24 picture, whose row y is grey 10 * y, from
# a plain grey map: convert rows.pgm -strip -interlace GIF interlaced-rows.gif
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3
HERE="$(cd "$(dirname "$0")" && pwd)"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
cp "$HERE/../data/gif/interlaced-rows.gif" "$game/cg/rows.gif"
printf '%s\r\n' 'rows.gif' 'Hello' >"$game/script/start.txt"

run --headless --autoplay=100 --record "$WORK/run" --seconds 20 "$game"
expect_rc 0
if grep -q '\[' "$WORK/err"; then
    fail "a message box was shown: $(grep '\[' "$WORK/err")"
fi
python3 - "$WORK/run" "$HERE/../../tools" <<'PY' || fail "the recorded frame does not show the picture's rows in order"
import os
import sys

sys.path.insert(0, sys.argv[2])
from compare_screenshot import read_png  # noqa: E402

run = sys.argv[1]
names = [line.split("\t")[0] for line in open(os.path.join(run, "index.tsv"))][1:]
# The 40x24 picture is centred: its top-left corner is at (380, 288).
for name in names:
    width, _, pixels = read_png(os.path.join(run, name))
    if pixels[300 * width + 400] != (0xC0, 0xC0, 0xFF):
        break
else:
    sys.exit("no recorded frame shows the picture")
wrong = [(y, pixels[(288 + y) * width + x])
         for y in range(24) for x in (380, 400, 419)
         if pixels[(288 + y) * width + x] != (10 * y,) * 3]
if wrong:
    sys.exit(f"{name}: rows (picture row, pixel) {wrong[:6]} are not grey 10 * row")
PY
echo "gif scene: all checks passed"
