#!/bin/sh
# What a real window under Xvfb shows is exactly the frame the engine composes: the demo's
# first page (scene picture, message window with its mask, Japanese text with its outline),
# captured with xwd, against the same page recorded by a headless run.
set -eu
. "$(dirname "$0")/lib.sh"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"

require_tools Xvfb xdotool xwd python3

run --headless --record "$WORK/run" --frames 20 "$ROOT/demo"
expect_rc 0
[ -f "$WORK/run/frame-000001.png" ] || fail "the headless run recorded no first frame"

start_xvfb

# --record shows when the first page has been presented in the window too.
"$TSUZURI" --record "$WORK/window-run" "$ROOT/demo" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
for _ in $(seq 200); do
    [ -f "$WORK/window-run/frame-000001.png" ] && break
    sleep 0.05
done
window=$(xdotool search --classname tsuzuri | head -n1)
[ -n "$window" ] || fail "no window: $(cat "$WORK/err")"
# The server may take a moment to show what the player sent: look again a few times.
matched=""
for _ in $(seq 10); do
    xwd -id "$window" -silent >"$WORK/window.xwd"
    if python3 "$ROOT/tools/compare_screenshot.py" "$WORK/window.xwd" "$WORK/run/frame-000001.png" \
        >"$WORK/compare.log"; then
        matched=yes
        break
    fi
    sleep 0.2
done
[ -n "$matched" ] || fail "the window does not show the composed frame: $(cat "$WORK/compare.log")"

xdotool key --window "$window" Escape 2>/dev/null || true
kill -INT "$player_pid" 2>/dev/null || true
wait "$player_pid" || true
player_pid=""
echo "xvfb screenshot: the window shows the composed frame"
