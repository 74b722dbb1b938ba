#!/bin/sh
# Keys held down in a real window under Xvfb, where the keyboard repeats them: a held - steps
# the volume again and again, a held M mutes once and stays muted, and an Escape held to leave
# the backlog leaves only the backlog (its repeats do not go on to close the window); the story
# then goes on, and a second Escape quits.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools Xvfb xdotool
start_xvfb

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'Page one\r\nPage two\r\nPage three\r\nPage four\r\n' >"$game/script/start.txt"

SDL_AUDIODRIVER=dummy "$TSUZURI" --trace-lines --record "$WORK/run" "$game" \
    >"$WORK/out" 2>"$WORK/err" &
player_pid=$!

# Holds key $1 down for $2 seconds (the keyboard starts repeating it after about half a
# second), then waits a moment for the frames it caused.
hold() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
    sleep 0.15
}

wait_for_line 0
find_window
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool mousemove --window "$window" 400 300
sleep 0.5  # past the start-up guard

before=$(frames)
hold minus 1.2
steps=$(($(frames) - before))
[ "$steps" -ge 3 ] || fail "a held - stepped the volume $steps times"

sleep 2  # the volume's note goes
before=$(frames)
hold m 1.0  # checked before its note of 1.5 s goes
[ $(($(frames) - before)) -eq 1 ] || fail "a held M changed the note $(($(frames) - before)) times"
sleep 2

xdotool click 1
wait_for_line 1
xdotool click 1
wait_for_line 2
sleep 0.2
before=$(frames)
xdotool key Prior
sleep 0.3
[ "$(frames)" -gt "$before" ] || fail "Page Up showed no earlier page"
hold Escape 1.2
kill -0 "$player_pid" 2>/dev/null || fail "holding Escape to leave the backlog closed the window"
xdotool click 1
wait_for_line 3
xdotool key Escape
wait_for_player_end "Escape did not quit"
expect_rc 0
echo "held keys: $steps volume steps from one held key, one mute, the backlog left without quitting"
