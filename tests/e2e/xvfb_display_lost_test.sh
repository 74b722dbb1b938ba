#!/bin/sh
# The display's server goes away while the demo plays: the player ends by itself with exit
# code 0, its recording complete, instead of being taken down by the X library's exit.
set -eu
. "$(dirname "$0")/lib.sh"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
require_tools Xvfb
start_xvfb

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" \
    "$TSUZURI" --trace-lines --record "$WORK/run" "$ROOT/demo" >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
for _ in $(seq 200); do
    grep -q "^tsuzuri: line 3 " "$WORK/err" && break
    sleep 0.05
done
grep -q "^tsuzuri: line 3 " "$WORK/err" || fail "the story never reached line 3: $(cat "$WORK/err")"

kill "$xvfb_pid"
wait_for_player_end "the player did not end after the display went away"
expect_rc 0
expect_err "the connection to the display was lost"
! grep -q "terminate called" "$WORK/err" || fail "the player aborted: $(cat "$WORK/err")"

# The recording was completed: the sound file's header counts every byte it holds.
python3 - "$WORK/run/audio.wav" <<'PY' || fail "the recorded sound is incomplete"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert len(data) > 44
assert struct.unpack("<I", data[4:8])[0] + 8 == len(data)
assert struct.unpack("<I", data[40:44])[0] + 44 == len(data)
PY
[ -s "$WORK/run/index.tsv" ] || fail "no frame index"
echo "display lost: all checks passed"
