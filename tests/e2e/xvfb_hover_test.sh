#!/bin/sh
# In a real window under Xvfb, moving the pointer (no click) onto a menu row lights that row,
# and the light follows the pointer: off the rows and out of the window no row is lit, even
# when the pointer leaves straight from a lit row.
set -eu
. "$(dirname "$0")/lib.sh"

require_tools Xvfb xdotool xwd python3
start_xvfb

make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'choices||A\\a||B\\b\r\n\\\\a\r\nA\r\n\\\\b\r\nB\r\n' >"$WORK/game/script/start.txt"

# The window opens centred on the 1024x768 screen, under a pointer already on the first row.
xdotool mousemove 812 574
"$TSUZURI" --trace-lines "$WORK/game" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!

find_window
for _ in $(seq 100); do
    grep -q '^tsuzuri: line 0 ' "$WORK/err" && break
    sleep 0.05
done

# The rows lit in the window as shown now ("0", "1", "0 1" or "none"). The band inverts the
# plain background, so a lit row's pixel right of the text differs from one above the rows.
lit_rows() {
    xwd -id "$window" -silent >"$WORK/shot.xwd"
    python3 - "$WORK/shot.xwd" <<'EOF'
import struct
import sys

data = open(sys.argv[1], "rb").read()
fields = struct.unpack(">25I", data[:100])
start, order, stride = fields[0] + fields[19] * 12, "<" if fields[7] == 0 else ">", fields[12]


def pixel(x, y):
    at = start + y * stride + x * 4
    return struct.unpack(order + "I", data[at:at + 4])[0] & 0xFFFFFF


plain = pixel(700, 300)
print(" ".join(str(row) for row, y in ((0, 490), (1, 522)) if pixel(700, y) != plain) or "none")
EOF
}

# Moves the pointer to client position ($1, $2) unless $1 is "-", and waits up to 3 s for
# the rows $3 to be lit.
point_at() {
    [ "$1" = - ] || xdotool mousemove --window "$window" "$1" "$2"
    for _ in $(seq 30); do
        [ "$(lit_rows)" = "$3" ] && return 0
        sleep 0.1
    done
    fail "with the pointer at $1,$2 the lit rows are '$(lit_rows)', not '$3'"
}

point_at - - 0
point_at 700 300 none  # inside the window, above the rows
point_at 700 490 0
point_at 900 490 none  # right of the window, level with the first row
point_at 700 522 1
point_at 700 300 none

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Escape
wait_for_player_end "Escape did not end the program"
expect_rc 0
echo "xvfb hover: all checks passed"
