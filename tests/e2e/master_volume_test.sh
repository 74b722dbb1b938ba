#!/bin/sh
# The master volume, judged by the recorded sound of a looping 1 kHz tone: --volume 50 halves
# its amplitude; --mute silences it until - unmutes at 90 %; M then silences it again.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
python3 - "$game" <<'PY'
import math, struct, sys, wave
game = sys.argv[1]
with wave.open(f"{game}/wave/tone.wav", "wb") as tone:  # 1 s of 1 kHz at the output rate
    tone.setnchannels(1)
    tone.setsampwidth(2)
    tone.setframerate(48000)
    tone.writeframes(b"".join(struct.pack("<h", round(16000 * math.sin(2 * math.pi * i / 48)))
                              for i in range(48000)))
with open(f"{game}/script/start.txt", "wb") as script:
    script.write(b"*tone.wav\r\nHello\r\n")
PY

for volume in 100 50; do
    run --headless --volume "$volume" --record "$WORK/v$volume" --seconds 2.5 "$game"
    expect_rc 0
done
printf '%s\n' 'ms 800 tap minus' 'ms 1600 tap m' >"$WORK/keys"
run --headless --mute --input "$WORK/keys" --record "$WORK/muted" --seconds 2.5 "$game"
expect_rc 0

python3 - "$WORK" <<'PY' || fail "the recorded levels do not follow the volume"
import math, struct, sys, wave

def rms(run, start, end):
    """RMS of the left channel from `start` to `end` seconds into the recording."""
    with wave.open(f"{sys.argv[1]}/{run}/audio.wav") as audio:
        rate = audio.getframerate()
        audio.setpos(int(start * rate))
        data = audio.readframes(int((end - start) * rate))
    left = struct.unpack(f"<{len(data) // 2}h", data)[::2]
    return math.sqrt(sum(v * v for v in left) / len(left))

full = rms("v100", 0.3, 2.3)
half = rms("v50", 0.3, 2.3)
print(f"rms at 100: {full:.1f}, at 50: {half:.1f} (ratio {half / full:.4f})")
assert full > 10000, "the tone is not heard at full volume"
assert abs(half / full - 0.5) < 0.005, "--volume 50 does not halve the amplitude"
before, unmuted, after = rms("muted", 0.1, 0.75), rms("muted", 0.9, 1.5), rms("muted", 1.7, 2.3)
print(f"muted: {before:.1f}, after -: {unmuted:.1f} (ratio {unmuted / full:.4f}), after M: {after:.1f}")
assert before == 0, "--mute is heard"
assert abs(unmuted / full - 0.9) < 0.005, "- does not unmute at 90 %"
assert after == 0, "M does not mute"
PY
echo "master volume: all checks passed"
