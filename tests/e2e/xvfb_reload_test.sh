#!/bin/sh
# F5 in a real window never ends the game: the script converted to LF line ends, cut short of
# the page shown, and saved as UTF-8 is each refused with a note, the story stays on its page,
# and the place kept when the reader quits is that page; a fixed script is then taken.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools Xvfb xdotool python3
start_xvfb

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'Page one\r\nPage two\r\nPage three\r\n' >"$game/script/start.txt"
state="$WORK/state"

SDL_AUDIODRIVER=dummy "$TSUZURI" --trace-lines --state-dir "$state" "$game" \
    >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
wait_for_line 0
find_window
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5  # past the start-up guard
xdotool key Return
wait_for_line 1

# Writes the script as $1 (printf format), presses F5 and waits for stderr to say $2.
reload() {
    printf "$1" >"$game/script/start.txt"
    xdotool key F5
    for _ in $(seq 100); do
        grep -qF -- "$2" "$WORK/err" && return 0
        sleep 0.05
    done
    fail "F5 did not say '$2': $(tail -3 "$WORK/err")"
}
reload 'Page one\nPage two\nPage three\n' 'its lines end in LF alone, not CR LF'
reload 'Page one\r\n' 'it no longer reaches line 2'
reload 'Page one\r\n\343\203\232\343\203\274\343\202\270\r\nPage three\r\n' \
    'it is saved as UTF-8, not Shift-JIS'
kill -0 "$player_pid" 2>/dev/null || fail "a refused reload ended the game"
reload 'Page one\r\nPage two, mended\r\nPage three\r\n' 'reloaded script/start.txt'
xdotool key Escape
wait_for_player_end "Escape did not quit"
expect_rc 0
save=$(ls "$state"/saves/*/auto-*.save | head -1)
grep -qx 'line 2' "$save" || fail "the place kept is not page two: $(cat "$save")"
echo "reload: all checks passed"
