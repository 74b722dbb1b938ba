#!/bin/sh
# Copying text in a real window under Xvfb: Shift+C puts the page's text on the clipboard as
# UTF-8, its written line break kept and its wrapping not, which another program reads while
# the player runs; a plain C copies nothing.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools Xvfb xdotool xclip iconv
start_xvfb

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
# 夜の図書館¥nTick, tock... and a long second page that wraps, in Shift-JIS.
printf '%s\r\n' '夜の図書館\nTick, tock...' \
    'The second page is long enough to wrap onto a second line of the message window.' |
    iconv -f UTF-8 -t CP932 >"$game/script/start.txt"

SDL_AUDIODRIVER=dummy "$TSUZURI" --trace-lines "$game" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
wait_for_line 0
find_window
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5  # past the start-up guard

clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
xdotool key c
sleep 0.3
[ -z "$(clipboard)" ] || fail "a plain C copied: $(clipboard)"
xdotool key shift+c
sleep 0.3
[ "$(clipboard)" = "$(printf '夜の図書館\nTick, tock...')" ] ||
    fail "Shift+C copied '$(clipboard)'"
xdotool key Return
wait_for_line 1
xdotool key shift+c
sleep 0.3
[ "$(clipboard)" = 'The second page is long enough to wrap onto a second line of the message window.' ] ||
    fail "the wrapped page was copied as '$(clipboard)'"
xdotool key Escape
wait_for_player_end "Escape did not quit"
expect_rc 0

# With copy_pages=1 every page goes to the clipboard as it appears.
mkdir -p "$XDG_CONFIG_HOME/tsuzuri"
printf 'copy_pages=1\n' >"$XDG_CONFIG_HOME/tsuzuri/settings.ini"
printf '' | xclip -selection clipboard
SDL_AUDIODRIVER=dummy "$TSUZURI" --trace-lines "$game" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
wait_for_line 0
sleep 0.5
[ "$(clipboard)" = "$(printf '夜の図書館\nTick, tock...')" ] ||
    fail "copy_pages=1 did not copy the first page: '$(clipboard)'"
kill "$player_pid"
wait "$player_pid" || true
player_pid=""
echo "copy: all checks passed"
