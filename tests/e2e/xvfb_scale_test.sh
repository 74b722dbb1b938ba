#!/bin/sh
# A real window at other sizes, under Xvfb with a window manager (fullscreen is a request the
# window manager carries out): --scale 2 opens a 1600x1200 window, F11 and Alt+Enter switch
# fullscreen (the Enter does not turn the page), and in both a pointer moved onto a menu row
# without clicking lights that row and a click there picks it; on the bars nothing is hit.
set -eu
. "$(dirname "$0")/lib.sh"

require_tools Xvfb openbox xdotool xwd xwininfo xprop python3
# A 16:9 screen, so that the 4:3 frame has bars in fullscreen: 1800x1350 from x 300, 2.25 times
# 800x600.
start_xvfb 2400x1350
openbox >"$WORK/openbox.log" 2>&1 &
wm_pid=$!
trap 'kill "$wm_pid" "$xvfb_pid" 2>/dev/null || true; [ -n "${player_pid:-}" ] && kill "$player_pid" 2>/dev/null; rm -rf "$WORK"' EXIT
wm_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
for _ in $(seq 200); do
    wm_ready && break
    sleep 0.05
done
wm_ready || fail "the window manager did not start: $(tail -n5 "$WORK/openbox.log")"

make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' '\\top' 'choices||A\a||B\b||C\c' '\\a' 'A page' '\top' '\\b' 'B page' '\top' \
    '\\c' 'C page' '\top' >"$WORK/game/script/start.txt"

"$TSUZURI" --scale 2 --trace-lines "$WORK/game" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
find_window

size() {
    xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'
}
# The menus shown so far.
menus() {
    grep -c ' Choices: ' "$WORK/err"
}
# Waits up to 10 s for the command $1 (size, pages or menus) to answer $2.
wait_for() {
    for _ in $(seq 200); do
        [ "$($1)" = "$2" ] && return 0
        sleep 0.05
    done
    fail "$1 is '$($1)', not '$2'"
}

# The rows lit in the window as shown now, for a frame at scale $1 from x $2: a lit row's band
# inverts the plain background, so its pixel differs from one above the rows.
lit_rows() {
    xwd -id "$window" -silent >"$WORK/shot.xwd"
    python3 - "$WORK/shot.xwd" "$1" "$2" <<'PY'
import struct
import sys

data = open(sys.argv[1], "rb").read()
scale, left = float(sys.argv[2]), int(sys.argv[3])
fields = struct.unpack(">25I", data[:100])
start, order, stride = fields[0] + fields[19] * 12, "<" if fields[7] == 0 else ">", fields[12]


def pixel(x, y):
    x, y = left + int(x * scale), int(y * scale)
    at = start + y * stride + x * 4
    return struct.unpack(order + "I", data[at:at + 4])[0] & 0xFFFFFF


plain = pixel(700, 300)
print(" ".join(str(r) for r in range(3) if pixel(700, 493 + 30 * r) != plain) or "none")
PY
}
# Moves the pointer to client pixel ($1, $2) and waits for the rows $5 to be lit at scale $3
# with the frame from x $4.
point_at() {
    xdotool mousemove --window "$window" "$1" "$2"
    for _ in $(seq 60); do
        [ "$(lit_rows "$3" "$4")" = "$5" ] && return 0
        sleep 0.1
    done
    fail "with the pointer at $1,$2 the lit rows are '$(lit_rows "$3" "$4")', not '$5'"
}

wait_for size 1600x1200
wait_for menus 1
# Row 2 of the menu is frame y 532-558: y 1064-1116 at 2x.
point_at 1200 600 2 0 none
point_at 1200 1090 2 0 2
xdotool click 1
wait_for pages "C page "
xdotool click 1
wait_for menus 2

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key F11
wait_for size 2400x1350
# Row 1 is frame y 506-532: y 1139-1197 at 2.25. On the left bar nothing lights or is picked.
point_at 150 1168 2.25 300 none
xdotool click 1
sleep 0.5
[ "$(pages)" = "C page " ] || fail "a click on the bar picked a row: $(pages)"
point_at 1200 1168 2.25 300 1
xdotool click 1
wait_for pages "C page B page "

# Alt+Enter leaves fullscreen; its Enter does not turn the page.
xdotool key alt+Return
wait_for size 1600x1200
sleep 0.5
[ "$(menus)" -eq 2 ] || fail "the Enter of Alt+Enter turned the page"

xdotool key Escape
wait_for_player_end "Escape did not end the program"
expect_rc 0

# --scale fit: the largest 4:3 client area that fits the screen with the window's borders.
"$TSUZURI" --scale fit "$WORK/game" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
find_window
for _ in $(seq 200); do
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')
    [ -n "$extents" ] && break
    sleep 0.05
done
expected=$(echo "$extents" | awk -F, '{h = 1350 - $3 - $4; printf "%dx%d", int(h * 4 / 3 + 0.5), h}')
wait_for size "$expected"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Escape
wait_for_player_end "Escape did not end the program"
echo "xvfb scale: all checks passed"
