#!/bin/sh
# Settings kept between runs, judged by what the next run does: the volume and fullscreen
# changed with keys come back (the recorded tone at 70 %, fullscreen frames), a run given
# --volume plays at it and leaves the file alone, music_volume and effects_volume scale only
# their own sounds, and a skip of read pages stops at the first page not read before while no
# skip ends the story by itself.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
python3 - "$game" <<'PY'
import math, struct, sys, wave
game = sys.argv[1]
def tone(name, cycle):  # 1 s at the output rate, a cycle of `cycle` frames
    with wave.open(f"{game}/wave/{name}", "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(48000)
        out.writeframes(b"".join(struct.pack("<h", round(8000 * math.sin(2 * math.pi * i / cycle)))
                                 for i in range(48000)))
tone("music.wav", 48)    # 1 kHz
tone("effect.wav", 16)   # 3 kHz
with open(f"{game}/script/start.txt", "wb") as script:
    script.write(b"*music.wav\r\n#effect.wav\r\nHello\r\n")
pages = "".join(f"Page {n}\r\n" for n in range(1, 11))
open(f"{game}/script/pages.txt", "wb").write(pages.encode())
PY

levels() {  # the amplitude of 1 kHz and 3 kHz in the recording $1 from 0.5 to 2 s
    python3 - "$1" <<'PY'
import math, struct, sys, wave
with wave.open(f"{sys.argv[1]}/audio.wav") as audio:
    audio.setpos(24000)
    data = audio.readframes(72000)
left = struct.unpack(f"<{len(data) // 2}h", data)[::2]
def amplitude(cycle):
    re = sum(v * math.cos(2 * math.pi * i / cycle) for i, v in enumerate(left))
    im = sum(v * math.sin(2 * math.pi * i / cycle) for i, v in enumerate(left))
    return 2 * math.hypot(re, im) / len(left)
print(f"{amplitude(48):.1f} {amplitude(16):.1f}")
PY
}
near() {  # $1 within 1 % of $2 times $3
    python3 -c "import sys; a, b, f = map(float, sys.argv[1:]); sys.exit(abs(a - b * f) > b * 0.01)" "$@"
}
frame_width() {
    python3 -c "import struct, sys; print(struct.unpack('>I', open(sys.argv[1], 'rb').read()[16:20])[0])" \
        "$(ls "$1"/frame-*.png | head -1)"
}

# Turned down by 30 and switched to fullscreen with keys; the next run starts that way.
state="$WORK/state"
printf '%s\n' 'ms 300 tap minus' 'ms 400 tap minus' 'ms 500 tap minus' 'ms 600 tap f11' \
    >"$WORK/keys"
run --headless --state-dir "$state" --input "$WORK/keys" --seconds 1 "$game"
expect_rc 0
grep -qx 'volume=70' "$state/settings.ini" || fail "volume=70 not kept: $(cat "$state/settings.ini")"
grep -qx 'fullscreen=1' "$state/settings.ini" || fail "fullscreen not kept"
cp "$state/settings.ini" "$WORK/kept.ini"

run --headless --state-dir "$state" --record "$WORK/full" --volume 100 --seconds 2.5 "$game"
expect_rc 0
cmp -s "$state/settings.ini" "$WORK/kept.ini" || fail "--volume 100 changed the settings file"
run --headless --state-dir "$state" --record "$WORK/kept" --seconds 2.5 "$game"
expect_rc 0
[ "$(frame_width "$WORK/kept")" = 1440 ] || fail "the next run is not fullscreen"
set -- $(levels "$WORK/full")
full_music=$1 full_effect=$2
set -- $(levels "$WORK/kept")
echo "full: $full_music $full_effect; kept volume: $1 $2"
near "$1" "$full_music" 0.7 && near "$2" "$full_effect" 0.7 || fail "the kept volume is not 70 %"

# The settings screen, worked with keys: O, Down to the music, Left twice; Down to the skip,
# Enter; Escape closes it and the story goes on. The run's --volume is not written.
printf '%s\n' 'ms 300 tap o' 'ms 350 tap down' 'ms 400 tap arrow-left' 'ms 450 tap arrow-left' \
    'ms 500 tap down' 'ms 510 tap down' 'ms 520 tap down' 'ms 530 tap down' 'ms 540 tap down' \
    'ms 550 tap down' 'ms 560 tap down' 'ms 600 tap enter' 'ms 700 tap escape' >"$WORK/screen"
run --headless --state-dir "$WORK/screen-state" --input "$WORK/screen" --volume 50 --seconds 1.2 \
    "$game"
expect_rc 0
grep -qx 'music_volume=80' "$WORK/screen-state/settings.ini" &&
    grep -qx 'skip=read' "$WORK/screen-state/settings.ini" &&
    grep -qx 'volume=100' "$WORK/screen-state/settings.ini" ||
    fail "the settings screen did not keep its changes: $(cat "$WORK/screen-state/settings.ini")"

# Music and effects volumes scale only their own sounds.
for kind in music effects; do
    mkdir -p "$WORK/$kind"
    printf '%s_volume = 50\n' "$kind" >"$WORK/$kind/settings.ini"
    run --headless --state-dir "$WORK/$kind" --record "$WORK/$kind/run" --seconds 2.5 "$game"
    expect_rc 0
done
set -- $(levels "$WORK/music/run")
echo "music_volume=50: $1 $2"
near "$1" "$full_music" 0.5 && near "$2" "$full_effect" 1 || fail "music_volume=50 is wrong"
set -- $(levels "$WORK/effects/run")
echo "effects_volume=50: $1 $2"
near "$1" "$full_music" 1 && near "$2" "$full_effect" 0.5 || fail "effects_volume=50 is wrong"

# Read to page 5; then a skip of read pages held for 2 s stops on page 6 and waits there.
read_state="$WORK/read"
printf '%s\n' 'ms 400 tap enter' 'ms 500 tap enter' 'ms 600 tap enter' 'ms 700 tap enter' \
    >"$WORK/read5"
run --headless --state-dir "$read_state" --start-at pages.txt --input "$WORK/read5" \
    --seconds 1 "$game"
expect_rc 0
last_line() { sed -n 's/^tsuzuri: line \([0-9]*\) .*/\1/p' "$WORK/err" | tail -1; }
printf 'skip=read\n' >"$read_state/settings.ini"
printf '%s\n' 'ms 300 down ctrl' 'ms 2300 up ctrl' >"$WORK/hold"
run --headless --state-dir "$read_state" --start-at pages.txt --input "$WORK/hold" \
    --trace-lines --seconds 3 "$game"
expect_rc 0
[ "$(last_line)" = 5 ] || fail "skip=read did not stop on page 6: $(cat "$WORK/err")"

# Skipping everything stops on the last page; the run goes on until a click ends the story.
printf 'skip=all\n' >"$read_state/settings.ini"
printf '%s\n' 'ms 300 down ctrl' 'ms 2300 up ctrl' 'ms 2800 tap enter' >"$WORK/hold-click"
run --headless --state-dir "$read_state" --start-at pages.txt --input "$WORK/hold-click" \
    --trace-lines --record "$WORK/all" --seconds 10 "$game"
expect_rc 0
grep -q 'line 9 Text: Page 10' "$WORK/err" || fail "the skip did not reach the last page"
ended=$(python3 -c "import sys, wave; a = wave.open(sys.argv[1]); print(a.getnframes() * 1000 // a.getframerate())" \
    "$WORK/all/audio.wav")
echo "skip=all: the run ended after ${ended} ms"
[ "$ended" -ge 2800 ] || fail "the story ended before the click"
[ "$ended" -lt 9000 ] || fail "the click did not end the story"
echo "settings: all checks passed"
