#!/bin/sh
# Headless runs at other window sizes: the frames are recorded at the size they are shown,
# and the pointer picks exactly the menu row under it at 2x, in fullscreen with bars (a click
# on a bar picks nothing) and after the window was resized.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' 'choices||A\a||B\b||C\c' '\\a' 'A page' '\\b' 'B page' '\\c' 'C page' \
    >"$game/script/start.txt"

# --scale 2: the window is 1600x1200; row 2 (frame y 532-558) is at y 1064-1116.
cat >"$WORK/input.txt" <<'EOF2'
pass 40 move 1200 1090
pass 45 tap left
pass 50 tap left
EOF2
run_story "$WORK/input.txt" "$game" --scale 2
[ "$(pages)" = "C page " ] || fail "at --scale 2 the pages shown were '$(pages)', not 'C page'"

# Fullscreen on the 1920x1080 desktop: the frame is 1440x1080 from x 240, 1.8 times 800x600;
# row 1 (frame y 506-532) is at y 911-957. A click on the left bar picks nothing.
cat >"$WORK/input.txt" <<'EOF2'
pass 40 move 100 934
pass 45 tap left
pass 50 move 1000 934
pass 55 tap left
pass 60 tap left
pass 65 tap left
EOF2
run_story "$WORK/input.txt" "$game" --fullscreen
[ "$(pages)" = "B page C page " ] ||
    fail "in fullscreen the pages shown were '$(pages)', not 'B page C page'"

# Recorded at --scale 2, then resized to 1280x800 (a 1067x800 frame, 4:3 rounded), where
# row 0 (frame y 480-506) is at y 640-674.
cat >"$WORK/input.txt" <<'EOF2'
pass 30 resize 1280 800
pass 40 move 600 650
pass 45 tap left
pass 60 tap left
pass 65 tap left
pass 70 tap left
EOF2
run_story "$WORK/input.txt" "$game" --scale 2 --record "$WORK/run"
[ "$(pages)" = "A page B page C page " ] ||
    fail "after resizing the pages shown were '$(pages)', not 'A page B page C page'"
sizes=$(python3 - "$WORK/run" <<'PY'
import os
import struct
import sys

run = sys.argv[1]
names = [line.split("\t")[0] for line in open(os.path.join(run, "index.tsv"))][1:]
sizes = []
for name in names:
    width, height = struct.unpack(">II", open(os.path.join(run, name), "rb").read()[16:24])
    if f"{width}x{height}" not in sizes:
        sizes.append(f"{width}x{height}")
print(" ".join(sizes))
PY
)
[ "$sizes" = "1600x1200 1067x800" ] || fail "the recorded frame sizes were '$sizes'"
echo "scale: all checks passed"
