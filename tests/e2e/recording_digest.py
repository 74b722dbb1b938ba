#!/usr/bin/env python3
"""Digest of a recording, for telling whether two runs of the same input behaved alike.

Usage: recording_digest.py RUN_DIR                 prints the digest
       recording_digest.py RUN_DIR REFERENCE_FILE  compares it with a digest printed before

The digest has one line per distinct frame, in order (a frame equal to the one before it is
dropped): `frame HASH SCRIPT LINE`, HASH being a hash of the frame's size and pixel rows as
zlib gives them back out of the PNG (the same pixels always give the same rows, since the
frames are written by one writer with fixed settings). Then one line per sound heard:
`sound FRAME OFFSET_MS`, a sound being where the left channel rises above a threshold after at
least 100 ms of quiet, FRAME the number (from 0) of the last distinct frame shown no later than
20 ms after it (plus TSUZURI_TIMING_SLACK_MS), OFFSET_MS its time from that frame's (negative
when it came just before).

Two digests agree when the frames are the same and every sound has the same frame and an offset
within 15 ms of the reference's (plus TSUZURI_TIMING_SLACK_MS, for the sanitizer builds); a
sound heard before the first frame only needs the same frame."""
import array
import hashlib
import os
import struct
import sys
import wave
import zlib

# Sanitizer builds run several times slower: a page is shown later after its sound started.
SLACK_MS = float(os.environ.get("TSUZURI_TIMING_SLACK_MS", "0"))
TOLERANCE_MS = 15 + SLACK_MS


def png_rows_hash(path):
    data = open(path, "rb").read()
    pos, idat, header = 8, b"", b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    return hashlib.sha1(header + zlib.decompress(idat)).hexdigest()[:16]


def digest(run):
    rows = [line.rstrip("\n").split("\t") for line in open(os.path.join(run, "index.tsv"))][1:]
    frames, times = [], []
    for name, _, ms, script, line in rows:
        entry = (png_rows_hash(os.path.join(run, name)), script, line)
        if not frames or frames[-1] != entry:
            frames.append(entry)
            times.append(float(ms))
    out = [f"frame {h} {script} {line}" for h, script, line in frames]
    path = os.path.join(run, "audio.wav")
    if os.path.exists(path):
        with wave.open(path) as audio:
            rate, channels = audio.getframerate(), audio.getnchannels()
            samples = array.array("h", audio.readframes(audio.getnframes()))
        quiet_since = -rate
        for i, value in enumerate(samples[::channels]):
            if abs(value) > 2000:
                if i - quiet_since > rate // 10:
                    onset = 1000.0 * i / rate
                    anchor = max([k for k, t in enumerate(times) if t <= onset + 20 + SLACK_MS],
                                 default=0)
                    out.append(f"sound {anchor} {onset - times[anchor]:.1f}")
                quiet_since = i
    return out


def compare(found, expected):
    problems = []
    found_frames = [line for line in found if line.startswith("frame")]
    expected_frames = [line for line in expected if line.startswith("frame")]
    if found_frames != expected_frames:
        for k, (a, b) in enumerate(zip(found_frames, expected_frames)):
            if a != b:
                problems.append(f"distinct frame {k} is '{a}', the reference's '{b}'")
                break
        else:
            problems.append(f"{len(found_frames)} distinct frames, the reference has "
                            f"{len(expected_frames)}")
    found_sounds = [line.split() for line in found if line.startswith("sound")]
    expected_sounds = [line.split() for line in expected if line.startswith("sound")]
    if len(found_sounds) != len(expected_sounds):
        problems.append(f"{len(found_sounds)} sounds heard, the reference has "
                        f"{len(expected_sounds)}")
    for (_, frame, offset), (_, ref_frame, ref_offset) in zip(found_sounds, expected_sounds):
        # A sound started before the first frame is shown is timed against start-up work (the
        # first picture decoded, the first frame composed), which a busy machine stretches: its
        # frame must agree, its offset need not.
        during_start = frame == "0" and float(ref_offset) < 0
        if frame != ref_frame or (not during_start and
                                  abs(float(offset) - float(ref_offset)) > TOLERANCE_MS):
            problems.append(f"a sound at frame {frame} {offset} ms, the reference's at frame "
                            f"{ref_frame} {ref_offset} ms")
    return problems, len(found_frames), len(found_sounds)


def main():
    found = digest(sys.argv[1])
    if len(sys.argv) == 2:
        print("\n".join(found))
        return 0
    expected = [line.rstrip("\n") for line in open(sys.argv[2]) if line.strip()]
    problems, frames, sounds = compare(found, expected)
    for problem in problems:
        print("FAIL:", problem, file=sys.stderr)
    if not problems:
        print(f"{os.path.basename(sys.argv[2])}: {frames} distinct frames and {sounds} sounds "
              "as in the reference")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
