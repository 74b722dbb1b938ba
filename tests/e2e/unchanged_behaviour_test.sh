#!/bin/sh
# Scripted headless runs recorded and compared with digests of the same runs made before the
# player's input, screens and main loop were restructured: the same distinct frames in the same
# order (with the script line each stood on), and every sound heard within 15 ms of the
# reference's, counted from the frame it belongs to. The runs: the demo driven by every kind of
# reader input at fixed passes, the demo played unattended to its end, a game of timed sounds
# played unattended, the player's own chooser, and a larger window resized by the reader.
#
# TSUZURI_WRITE_REFERENCE=1 writes the digests instead of comparing them (with the player
# whose behaviour is the reference).
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3
HERE="$(cd "$(dirname "$0")" && pwd)"
REFERENCE="$HERE/reference"
DEMO="$(cd "$HERE/../../demo" && pwd)"
# Nothing of the tester's own settings or places may take part.
XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" XDG_STATE_HOME="$WORK/state"
export XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME

# A game of short tones with quiet between them: a sound effect on each page, a sequence of
# two tones on one, a menu.
sounds="$WORK/sounds"
make_game "$sounds" "[GameState]" "DefaultScriptFileName=start.txt"
python3 - "$sounds" <<'PY'
import math, struct, sys, wave
game = sys.argv[1]
def tone(name, hz, ms):
    with wave.open(f"{game}/wave/{name}", "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(44100)
        out.writeframes(b"".join(struct.pack("<h", int(16000 * math.sin(2 * math.pi * hz * i / 44100)))
                                 for i in range(44100 * ms // 1000)))
tone("low.wav", 440, 40)
tone("high.wav", 1320, 30)
with open(f"{game}/wave/pair.wao", "wb") as out:
    out.write(b"pair\r\nlow.wav\r\n* 0.25\r\nhigh.wav\r\n")
lines = ["low.wav", "Page one", "high.wav", "Page two", "pair.wao", "Page three",
         "choices||On\\on||Off\\off", "\\\\on", "low.wav", "Page four", "\\\\off", "high.wav",
         "Page five"]
open(f"{game}/script/start.txt", "wb").write("\r\n".join(lines).encode() + b"\r\n")
PY

# A game without a start script, so that the player's own chooser opens.
chooser="$WORK/chooser"
make_game "$chooser" "[GameState]" "WindowTitle=Chooser"
printf 'First script\r\nits second page\r\n' >"$chooser/script/a.txt"
printf 'Second script\r\nits second page\r\n' >"$chooser/script/b.txt"
printf 'Third script\r\n' >"$chooser/script/c.txt"

compared=0
check_run() {
    name=$1
    shift
    run --headless --record "$WORK/$name" "$@"
    expect_rc 0
    if [ "${TSUZURI_WRITE_REFERENCE:-0}" = 1 ]; then
        python3 "$HERE/recording_digest.py" "$WORK/$name" >"$REFERENCE/$name.digest"
        echo "wrote $REFERENCE/$name.digest"
    else
        python3 "$HERE/recording_digest.py" "$WORK/$name" "$REFERENCE/$name.digest" ||
            fail "$name: the run differs from the reference"
    fi
    compared=$((compared + 1))
}

check_run demo-keys --input "$REFERENCE/demo-keys.input" "$DEMO"
check_run demo-autoplay --autoplay=120 "$DEMO"
check_run sounds --autoplay=700 "$sounds"
check_run chooser --input "$REFERENCE/chooser.input" "$chooser"
check_run scale --scale 2 --input "$REFERENCE/scale.input" "$DEMO"
echo "unchanged behaviour: $compared runs as in the reference"
