#!/usr/bin/env python3
"""Checks that a recording's sound lies on the player's clock: every click of a page starts in
audio.wav where index.tsv says the page was shown, and audio.wav lasts as long as the run.
Usage: check_sound_timeline.py RUN_DIR RUN_SECONDS [CLOSING_MS]
(the run lasts RUN_SECONDS plus the time the player takes to close, at most CLOSING_MS: 20)
The pages that start a click are the rows of index.tsv whose script line is odd (the game
made by sound_timeline_test.sh puts each click right before its page)."""
import array
import os
import sys
import wave

# Sanitizer builds run several times slower, so a page is shown later after its click and the
# last pass ends later; CI allows for that there with TSUZURI_TIMING_SLACK_MS.
SLACK_MS = float(os.environ.get("TSUZURI_TIMING_SLACK_MS", "0"))
TOLERANCE_MS = 12 + SLACK_MS


run, seconds = sys.argv[1], float(sys.argv[2])
closing = float(sys.argv[3]) if len(sys.argv) > 3 else 20.0

with wave.open(f"{run}/audio.wav") as audio:
    rate = audio.getframerate()
    channels = audio.getnchannels()
    samples = array.array("h", audio.readframes(audio.getnframes()))
left = samples[::channels]

# A click begins where the sound rises after at least 100 ms of quiet.
onsets = []
quiet_since = -rate
for i, value in enumerate(left):
    if abs(value) > 2000:
        if i - quiet_since > rate // 10:
            onsets.append(1000.0 * i / rate)
        quiet_since = i

rows = [line.rstrip("\n").split("\t") for line in open(f"{run}/index.tsv")][1:]
pages = [float(row[2]) for row in rows if int(row[4]) % 2 == 1]

problems = []
if len(onsets) != len(pages):
    problems.append(f"{len(onsets)} clicks in audio.wav for {len(pages)} pages")
errors = [onset - page for onset, page in zip(onsets, pages)]
worst = max(errors, key=abs, default=0.0)
if abs(worst) > TOLERANCE_MS:
    problems.append(f"a click is {worst:+.1f} ms off its page (errors {errors})")
length_ms = 1000.0 * len(left) / rate
if not 1000 * seconds <= length_ms <= 1000 * seconds + closing + SLACK_MS:
    problems.append(f"audio.wav lasts {length_ms:.0f} ms for a run of {1000 * seconds:.0f} ms")

print(f"{len(pages)} pages, worst click error {worst:+.1f} ms, audio {length_ms:.0f} ms")
for problem in problems:
    print("FAIL:", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
