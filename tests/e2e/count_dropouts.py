#!/usr/bin/env python3
"""Counts the holes in a recording of continuous sound.

Usage: count_dropouts.py WAV [FROM_MS [UNTIL_MS]]

A hole is a run of at least two frames in which every channel is exactly 0, inside the sound:
between its first and its last non-zero frame, and from FROM_MS to UNTIL_MS after the first
(the moments a server starts and a player closes are left out). Music that never falls
silent by itself has none; a sound server fills the time a player did not deliver with exact
zeros, so every hole is a moment the output ran dry. Prints the count and the longest hole."""
import array
import sys
import wave


def holes(path, from_ms=0.0, until_ms=None):
    with wave.open(path) as audio:
        rate, channels = audio.getframerate(), audio.getnchannels()
        samples = array.array("h", audio.readframes(audio.getnframes()))
    frames = len(samples) // channels
    silent = [not any(samples[i * channels:(i + 1) * channels]) for i in range(frames)]
    first = next((i for i in range(frames) if not silent[i]), frames)
    last = next((i for i in range(frames - 1, -1, -1) if not silent[i]), -1)
    if until_ms is not None:
        last = min(last, first + int(until_ms * rate / 1000))
    first += int(from_ms * rate / 1000)
    found, run = [], 0
    for i in range(first, last + 1):
        if silent[i]:
            run += 1
            continue
        if run >= 2:
            found.append((1000.0 * (i - run) / rate, 1000.0 * run / rate))
        run = 0
    return found, 1000.0 * max(last - first, 0) / rate


if __name__ == "__main__":
    found, span = holes(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 0.0,
                        float(sys.argv[3]) if len(sys.argv) > 3 else None)
    longest = max((length for _, length in found), default=0.0)
    print(f"{len(found)} holes in {span / 1000:.1f} s of sound (longest {longest:.1f} ms)"
          + "".join(f"\n  at {at:.0f} ms: {length:.2f} ms" for at, length in found[:20]))
    sys.exit(1 if found else 0)
