#!/bin/sh
# Sample-accurate starts, heard in a headless recording (mixed on the player's clock). One step
# plays an effect (left channel), starts a sequence (right channel) whose first two cues are due
# together and whose third is due 250 ms in, and starts a repeating sequence of a 10 ms tick
# every 500 ms (left). Against the effect of the same step: the first cue starts on its
# sample, the two cues due together start together (their sum is twice one cue, sample for
# sample), the third cue and every repeat land within 1 ms of their times, and the repeats
# keep their 500 ms period within 0.5 ms without drifting. TSUZURI_ONSET_SECONDS sets the
# length of the run (11 s: 20 repeats; the performance table's figure uses 26 s, 50 repeats).
# Then music switched to other music on a page turn: no run of zero samples longer than 0.1 ms
# at the switch (the old music stops on the sample where the new one starts).
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3
SECONDS_RUN=${TSUZURI_ONSET_SECONDS:-11}

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
python3 - "$game" <<'PY'
import math, struct, sys, wave
game = sys.argv[1]
def tone(name, hertz, left, right):  # 10 ms at 48 kHz, from a peak, so its first frame sounds
    with wave.open(f"{game}/wave/{name}", "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(48000)
        frames = []
        for i in range(480):
            v = int(8000 * math.cos(2 * math.pi * hertz * i / 48000))
            frames.append(struct.pack("<hh", v * left, v * right))
        out.writeframes(b"".join(frames))
tone("effect.wav", 1000, 1, 0)
tone("tick.wav", 1000, 1, 0)
tone("cue.wav", 2000, 0, 1)
with open(f"{game}/wave/cues.wao", "wb") as f:  # cues at 0, 0 and 250 ms
    f.write(b"cues\r\ncue.wav\r\n* -0.01\r\ncue.wav\r\n* 0.24\r\ncue.wav\r\n")
with open(f"{game}/wave/loop.wao", "wb") as f:  # a tick every 500 ms
    f.write(b"loop\r\ntick.wav\r\n* 0.49\r\n")
with open(f"{game}/script/start.txt", "wb") as f:
    f.write(b"effect.wav\r\ncues.wao\r\n$loop.wao\r\nTicking\r\n")
PY

run --headless --record "$WORK/run" --seconds "$SECONDS_RUN" "$game"
expect_rc 0
python3 - "$WORK/run/audio.wav" <<'PY' || fail "sounds do not land on their samples"
import array, math, os, sys, wave
slack = float(os.environ.get("TSUZURI_TIMING_SLACK_MS", "0"))  # for slow sanitizer builds
with wave.open(sys.argv[1]) as w:
    rate = w.getframerate()
    samples = array.array("h", w.readframes(w.getnframes()))
left, right = samples[0::2], samples[1::2]
def onsets(channel):
    """frame of each first non-zero sample after at least 100 ms of silence"""
    found, quiet = [], rate
    for i, v in enumerate(channel):
        if v != 0:
            if quiet >= rate // 10:
                found.append(i)
            quiet = 0
        else:
            quiet += 1
    return found
ticks, cues = onsets(left), onsets(right)
if len(cues) != 2 or len(ticks) < 3:
    sys.exit(f"FAIL: expected the cues at 0 and 250 ms and the repeats, found {cues} and {ticks}")
ms = lambda frames: 1000.0 * frames / rate
start = ticks[0]  # the effect and the first tick of the repeating sequence
problems = []
print(f"first cue: {ms(cues[0] - start):+.3f} ms from the effect of its step")
if abs(ms(cues[0] - start)) > 1 + slack:
    problems.append("the first cue is off its step's time")
single = [int(8000 * math.cos(2 * math.pi * 2000 * i / rate)) for i in range(48)]
together = list(right[cues[0]:cues[0] + 48])
if together != [2 * v for v in single] and not slack:
    problems.append(f"the cues due together are not together: {together[:6]} against twice {single[:6]}")
print(f"third cue: {ms(cues[1] - start) - 250:+.3f} ms from 250 ms")
if abs(ms(cues[1] - start) - 250) > 1 + slack:
    problems.append("the cue due at 250 ms is off")
errors = [ms(t - start) - 500 * k for k, t in enumerate(ticks)]
periods = [ms(b - a) for a, b in zip(ticks, ticks[1:])]
print(f"repeats: {len(ticks) - 1}, worst onset error {max(map(abs, errors)):.3f} ms, "
      f"periods {min(periods):.3f} to {max(periods):.3f} ms, drift over the run {errors[-1]:+.3f} ms")
if max(map(abs, errors)) > 1 + slack or max(abs(p - 500) for p in periods) > 0.5 + slack:
    problems.append("the repeats are off their 500 ms beat")
if len(ticks) < (len(left) / rate - 1.5) // 0.5:
    problems.append(f"repeats went missing: {len(ticks)} in {len(left) / rate:.1f} s")
for problem in problems:
    print("FAIL:", problem)
sys.exit(1 if problems else 0)
PY
switch="$WORK/switch"
make_game "$switch" "[GameState]" "DefaultScriptFileName=start.txt"
sox -n -r 44100 -c 2 -b 16 "$switch/wave/first.wav" synth 3 sine 440 vol 0.3
sox -n -r 44100 -c 2 -b 16 "$switch/wave/second.wav" synth 3 sine 660 vol 0.3
printf '*first.wav\r\nFirst\r\n*second.wav\r\nSecond\r\n' >"$switch/script/start.txt"
run --headless --autoplay=1000 --record "$WORK/switched" --seconds 2.5 "$switch"
expect_rc 0
python3 - "$WORK/switched/audio.wav" <<'PY' || fail "switching music leaves a hole"
import array, sys, wave
with wave.open(sys.argv[1]) as w:
    rate = w.getframerate()
    samples = array.array("h", w.readframes(w.getnframes()))
silent = [samples[2 * i] == 0 and samples[2 * i + 1] == 0 for i in range(len(samples) // 2)]
first = silent.index(False)
last = len(silent) - 1 - silent[::-1].index(False)
longest, run = 0, 0
for quiet in silent[first:last + 1]:
    run = run + 1 if quiet else 0
    longest = max(longest, run)
print(f"longest run of zero samples while music plays: {1000.0 * longest / rate:.3f} ms")
sys.exit(1 if longest > rate // 10000 else 0)
PY
echo "sound onsets: all checks passed"
