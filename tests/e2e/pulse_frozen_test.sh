#!/bin/sh
# A frozen sound server (a private PulseAudio stopped with SIGSTOP) never holds the player:
# opening the output gives up after 3 s and the story plays without sound, and a server that
# freezes while the story plays keeps the process no more than a second after its window
# closes. Without these, the first took 23-49 s and the second as long as the server stayed
# frozen.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools pulseaudio pactl Xvfb
start_xvfb
start_pulse

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'A page\r\n' >"$game/script/start.txt"

# Runs the player in the window for $1 seconds of its loop; leaves the ms it took in $took.
timed_run() {
    start=$(date +%s%N)
    SDL_AUDIODRIVER=pulseaudio run --seconds "$1" "$game"
    took=$((($(date +%s%N) - start) / 1000000))
}

kill -STOP "$pulse_pid"
timed_run 1
kill -CONT "$pulse_pid"
expect_rc 0
expect_err "the sound server did not answer within 3 s"
# 3 s of waiting, 1 s of story, and start-up; a wait for the server would be 20 s and more.
[ "$took" -lt 12000 ] || fail "a frozen server held the start for ${took} ms"

# Frozen while the story plays: 3 s of story, the server stopped after 1.5 s of it.
(sleep 2 && kill -STOP "$pulse_pid") &
freezer=$!
timed_run 3
wait "$freezer" || true
kill -CONT "$pulse_pid"
expect_rc 0
[ "$took" -lt 10000 ] || fail "a server frozen while playing held the end for ${took} ms"
echo "pulse frozen: all checks passed"
