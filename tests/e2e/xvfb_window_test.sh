#!/bin/sh
# The real SDL window under Xvfb: size and caption, clicks and keys sent with xdotool, and
# Escape ending the program with exit code 0.
set -eu
. "$(dirname "$0")/lib.sh"

require_tools Xvfb xdotool

start_xvfb

# A game whose caption is Japanese (Shift-JIS in Game.INI): "テスト物語".
make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'WindowTitle=\203\145\203\130\203\147\225\250\214\352\r\n' >>"$WORK/game/Game.INI"
# More pages than the clicks below turn, so the story is still running when Escape comes.
printf 'Page %s\r\n' 1 2 3 4 5 6 7 8 >"$WORK/game/script/start.txt"

"$TSUZURI" --trace-input "$WORK/game" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!

find_window

caption=$(xdotool getwindowname "$window")
[ "$caption" = "テスト物語" ] || fail "the caption is '$caption', not the configured title"

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "800x600" ] || fail "client area is $geometry, not 800x600"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5  # past the start-up guard

advances() { grep -c 'advance released' "$WORK/err" || true; }
toggles() { grep -c 'toggle released' "$WORK/err" || true; }
wait_for() {
    for _ in $(seq 50); do
        [ "$($1)" -ge "$2" ] && return 0
        sleep 0.05
    done
    fail "expected $2 from $1, saw $($1): $(cat "$WORK/err")"
}

# Held presses: down, a pause across several passes, up.
xdotool mousemove --window "$window" 400 300
xdotool keydown Return
sleep 0.2
xdotool keyup Return
wait_for advances 1
xdotool mousedown 1
sleep 0.2
xdotool mouseup 1
wait_for advances 2
# Instant taps: down and up at once, between two passes.
xdotool key Return
wait_for advances 3
xdotool click 1
wait_for advances 4
xdotool key space
wait_for toggles 1
xdotool click 3
wait_for toggles 2
[ "$(advances)" -eq 4 ] || fail "each click must count once, saw $(advances)"

xdotool key Escape
wait_for_player_end "Escape did not end the program"
expect_rc 0
echo "xvfb window: all checks passed"
