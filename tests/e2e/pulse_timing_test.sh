#!/bin/sh
# Sound timing through a real sound server: a private PulseAudio with a null sink, whose
# monitor is recorded while the player runs in a window under Xvfb. The first line plays a
# sound effect and starts a sequence with cues due at 0, 500 and 750 ms; the page turns after
# 3 s to a line that starts the music. A server can take a second to start pulling sound;
# none of this may pile up: from the very first sound, the first cue starts with the effect of
# its step within 2 ms (they start on one sample), and the later cues keep their spacing within
# 6 ms (within 1 ms on a quiet machine; while a server settles in its first second on a busy
# one, the time the device's requests stand for moves by a few ms), and the music keeps its distance from
# the effect as its page does from the first (within 25 ms: each page is shown a moment after
# its sound starts, a moment that varies on a busy machine).
set -eu
. "$(dirname "$0")/lib.sh"
require_tools pulseaudio parecord pactl Xvfb python3
start_xvfb
start_pulse

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
python3 - "$game" <<'PY'
import math, struct, sys, wave
game = sys.argv[1]
def tone(name, seconds, hertz, left, right):
    with wave.open(f"{game}/wave/{name}", "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(48000)
        frames = []
        for i in range(int(48000 * seconds)):
            v = int(12000 * math.sin(2 * math.pi * hertz * i / 48000))
            frames.append(struct.pack("<hh", v * left, v * right))
        out.writeframes(b"".join(frames))
tone("effect.wav", 0.1, 1000, 1, 0)  # left only
tone("cue.wav", 0.03, 2000, 0, 1)    # right only
tone("music.wav", 1.0, 1000, 1, 1)
with open(f"{game}/wave/cues.wao", "wb") as f:  # cues at 0, 500 and 750 ms
    f.write(b"cues\r\ncue.wav\r\n* 0.47\r\ncue.wav\r\n* 0.22\r\ncue.wav\r\n")
with open(f"{game}/script/start.txt", "wb") as f:
    f.write(b"effect.wav\r\ncues.wao\r\nFirst page\r\n*music.wav\r\nSecond page\r\n")
PY

start_monitor "$WORK/monitor.wav"
SDL_AUDIODRIVER=pulseaudio run --autoplay=3000 --seconds 4.5 --record "$WORK/run" "$game"
sleep 0.3
stop_monitor
expect_rc 0
if grep -q "no sound output" "$WORK/err"; then
    fail "the player found no sound output: $(cat "$WORK/err")"
fi

python3 - "$WORK/monitor.wav" "$WORK/run/index.tsv" <<'PY' || fail "the sound timing through PulseAudio is off"
import array, os, sys, wave
slack = float(os.environ.get("TSUZURI_TIMING_SLACK_MS", "0"))  # for slow sanitizer builds
rows = [line.split("\t") for line in open(sys.argv[2])][1:]
pages = [float(ms) for _, _, ms, _, line in rows]
with wave.open(sys.argv[1]) as w:
    rate = w.getframerate()
    samples = array.array("h", w.readframes(w.getnframes()))
def onsets(channel):
    """ms of each rise above a threshold after at least 100 ms of quiet"""
    found, quiet = [], rate
    for i, v in enumerate(samples[channel::2]):
        if abs(v) > 1500:
            if quiet >= rate // 10:
                found.append(1000.0 * i / rate)
            quiet = 0
        else:
            quiet += 1
    return found
left, right = onsets(0), onsets(1)
print("left (effect, music):", [round(t, 2) for t in left], "right (cues, music):", [round(t, 2) for t in right])
# The music may break up later on a busy machine (the server then hears nothing for a moment);
# only its start counts here.
if len(left) < 2 or len(right) < 4 or right[3] != left[1]:
    sys.exit("FAIL: expected the effect, three cues and the music")
effect, music = left[:2]
cues = right[:3]
problems = []
if abs(cues[0] - effect) > 2 + slack:
    problems.append(f"the first cue comes {cues[0] - effect:+.1f} ms after the effect")
for cue, due in zip(cues[1:], (500, 750)):
    if abs(cue - cues[0] - due) > 6 + slack:
        problems.append(f"a cue due at {due} ms comes at {cue - cues[0]:.1f} ms")
if len(pages) != 2 or abs((music - effect) - (pages[1] - pages[0])) > 25 + slack:
    problems.append(f"the music comes {music - effect:.0f} ms after the effect, its page "
                    f"{pages[1] - pages[0]:.0f} ms after the effect's ({pages})")
for problem in problems:
    print("FAIL:", problem)
sys.exit(1 if problems else 0)
PY
echo "PulseAudio timing: all checks passed"
