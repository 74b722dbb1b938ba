#!/usr/bin/env python3
"""Measures how well the player keeps the timing of a Wao sequence, from what it actually plays.

A game is generated in a temporary folder: one script line starts a sequence of 20 cues of a
short click at irregular offsets. The real player runs it headless with --record, whose
audio.wav is mixed on the player's own clock (a sound started at T ms begins T ms into it), and
the onset of every click is found there. Each onset is compared with its ideal time, both
measured from the first cue's onset, so what remains is the cue worker's own timing: its pass
(a cue starts on the first pass at or after its time) and the clock's millisecond steps.

Usage: cue_timing.py PLAYER [--json]
"""
import json
import os
import random
import struct
import subprocess
import sys
import tempfile

RATE = 48000
CUE_COUNT = 20
CLICK_FRAMES = 240  # 5 ms
CLICK_LEVEL = 20000
ONSET_THRESHOLD = 1000


def click_wav():
    """A 48000 Hz 16-bit stereo click (the output format, so it plays sample for sample): a
    square wave whose very first frame is at full level, so its onset is exact to the frame."""
    frames = bytearray()
    for i in range(CLICK_FRAMES):
        value = CLICK_LEVEL if (i // 6) % 2 == 0 else -CLICK_LEVEL
        frames += struct.pack("<hh", value, value)
    fmt = struct.pack("<HHIIHH", 1, 2, RATE, RATE * 4, 4, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(frames)) + bytes(frames)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def sequence():
    """The Wao file's text and the offsets (ms) the loader derives from it. The offsets follow
    the loader's arithmetic exactly: a time cursor in double precision, advanced by each sound's
    length (data bytes / bytes per second) and each wait, truncated to whole milliseconds."""
    generator = random.Random(7)  # fixed: the same irregular offsets on every run
    length = (CLICK_FRAMES * 4) / (RATE * 4)
    lines = ["cue timing"]
    cursor = 0.0
    offsets = []
    for i in range(CUE_COUNT):
        lines.append("click.wav")
        offsets.append(int(cursor * 1000))
        cursor += length
        if i + 1 < CUE_COUNT:
            gap = generator.randint(31, 157) / 1000.0  # onset to onset, seconds
            wait = gap - length
            lines.append(f"* {wait!r}")
            cursor += wait  # the loader reads the same double back from its text
    return "\r\n".join(lines) + "\r\n", offsets


def make_game(folder):
    text, offsets = sequence()
    os.makedirs(os.path.join(folder, "script"))
    os.makedirs(os.path.join(folder, "wave"))
    with open(os.path.join(folder, "Game.INI"), "wb") as f:
        f.write(b"[GameState]\r\nDefaultScriptFileName=start.txt\r\nWindowTitle=cue timing\r\n")
    with open(os.path.join(folder, "script", "start.txt"), "wb") as f:
        f.write(b"timing.wao\r\nCue timing.\r\n")
    with open(os.path.join(folder, "wave", "timing.wao"), "wb") as f:
        f.write(text.encode("ascii"))
    with open(os.path.join(folder, "wave", "click.wav"), "wb") as f:
        f.write(click_wav())
    return offsets


def onsets(capture):
    """Frame indices where a click begins: the first loud frame after at least 10 ms of quiet."""
    count = len(capture) // 4
    left = struct.unpack_from(f"<{count * 2}h", capture)[0::2]
    found = []
    quiet = RATE  # frames of quiet so far
    for i, value in enumerate(left):
        if abs(value) > ONSET_THRESHOLD:
            if quiet >= RATE // 100:
                found.append(i)
            quiet = 0
        else:
            quiet += 1
    return found


def measure(player):
    with tempfile.TemporaryDirectory(prefix="tsuzuri-cues-") as work:
        game = os.path.join(work, "game")
        offsets = make_game(game)
        record = os.path.join(work, "run")
        script = os.path.join(work, "input.txt")
        with open(script, "w") as f:
            # The whole sequence plus a margin for start-up, then quit.
            f.write(f"ms {offsets[-1] + 1500} close\n")
        result = subprocess.run([player, "--headless", "--input", script, "--record", record,
                                 game], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                text=True)
        if result.returncode != 0:
            raise RuntimeError(f"player failed ({result.returncode}): {result.stderr.strip()}")
        with open(os.path.join(record, "audio.wav"), "rb") as f:
            capture = f.read()[44:]

    found = onsets(capture)
    if len(found) != CUE_COUNT:
        raise RuntimeError(f"found {len(found)} onsets in the recording, expected {CUE_COUNT}")
    errors = [(f - found[0]) * 1000 / RATE - (o - offsets[0]) for f, o in zip(found, offsets)]
    return {
        "cues": CUE_COUNT,
        "span_ms": offsets[-1] - offsets[0],
        "worst_ms": max(abs(e) for e in errors),
        "mean_ms": sum(abs(e) for e in errors) / len(errors),
        "errors_ms": [round(e, 2) for e in errors],
    }


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    figures = measure(sys.argv[1])
    if "--json" in sys.argv[2:]:
        print(json.dumps(figures))
        return
    print(f"{figures['cues']} cues over {figures['span_ms']} ms")
    print(f"onset error from the first cue, worst: {figures['worst_ms']:.2f} ms, "
          f"mean: {figures['mean_ms']:.2f} ms")
    print("errors (ms):", " ".join(f"{e:+.1f}" for e in figures["errors_ms"]))


if __name__ == "__main__":
    main()
