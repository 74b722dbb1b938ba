#!/usr/bin/env python3
"""Checks a recorded unattended run of the demo: the lines visited in order, and sampled
pixels of key frames. Usage: check_demo_run.py RUN_DIR TRACE_FILE DEMO_DIR"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
from compare_screenshot import read_png  # noqa: E402

run, trace, demo = sys.argv[1:4]
problems = []

# Autoplay answers every menu with its first row: the window shelf, then on.
expected = [("start.txt", i) for i in list(range(0, 22)) + list(range(29, 37))] + \
           [("part2.txt", i) for i in range(0, 10)]
visited = []
script = "start.txt"
for line in open(trace, encoding="utf-8", errors="replace"):
    if line.startswith("tsuzuri: line "):
        index = int(line.split()[2])
        if visited and index == 0 and visited[-1] == ("start.txt", 36):
            script = "part2.txt"
        visited.append((script, index))
if visited != expected:
    problems.append(f"lines visited {visited} instead of {expected}")

rows = [row.rstrip("\n").split("\t") for row in open(os.path.join(run, "index.tsv"))][1:]


def frame_at(script, line):
    for name, _, _, row_script, row_line in rows:
        if row_script == script and int(row_line) == line:
            width, _, pixels = read_png(os.path.join(run, name))
            return lambda x, y: pixels[y * width + x]
    problems.append(f"no frame recorded at {script} line {line}")
    return lambda x, y: None


# The first page shows the sky picture above the message window.
sky_width, _, sky = read_png(os.path.join(demo, "cg", "sky.png"))
first = frame_at("start.txt", 3)
for x, y in [(400, 100), (20, 20), (700, 400)]:
    if first(x, y) != sky[y * sky_width + x]:
        problems.append(f"first page at {x},{y}: {first(x, y)} is not the scene picture's {sky[y * sky_width + x]}")

# The menu's hovered first row is the page before it, inverted, across the whole width.
page, menu = frame_at("start.txt", 16), frame_at("start.txt", 17)
for x, y in [(790, 480), (790, 507), (5, 490)]:
    if page(x, y) is not None and menu(x, y) != tuple(255 - c for c in page(x, y)):
        problems.append(f"band at {x},{y}: {menu(x, y)} is not the inverse of {page(x, y)}")
if page(790, 508) is not None and menu(790, 508) != page(790, 508):
    problems.append("the band reaches below its row")

# The masked moon picture lets the clear colour through at its corners.
moon = frame_at("start.txt", 20)
if moon(3, 3) != (0xC0, 0xC0, 0xFF):
    problems.append(f"masked picture corner {moon(3, 3)} is not the clear colour")

# The first flash frame is white everywhere.
flash = frame_at("part2.txt", 4)
for x, y in [(0, 0), (400, 300), (799, 599)]:
    if flash(x, y) != (255, 255, 255):
        problems.append(f"flash frame at {x},{y} is {flash(x, y)}")

# The music starts with the first step: the recorded sound begins within a few passes of
# the first frame (the output's buffer and the worker's pass), and is not silence after.
import struct  # noqa: E402
audio = open(os.path.join(run, "audio.wav"), "rb").read()
samples = struct.unpack("<%dh" % ((len(audio) - 44) // 2), audio[44:44 + (len(audio) - 44) // 2 * 2])
onset = next((i for i, v in enumerate(samples) if abs(v) > 200), None)
first_ms = int(rows[0][2]) if rows else 0
if onset is None:
    problems.append("the recorded sound is silent")
else:
    onset_ms = onset / 2 / 48000 * 1000
    if onset_ms > first_ms + 80:
        problems.append(f"the music starts at {onset_ms:.0f} ms, the first frame at {first_ms} ms")

# A frame is written only when it differs from the one written before it (our PNG writer turns
# equal pixels into equal bytes).
previous = None
for name, *_ in rows:
    data = open(os.path.join(run, name), "rb").read()
    if data == previous:
        problems.append(f"{name} repeats the frame written before it")
    previous = data

for problem in problems:
    print("FAIL:", problem)
sys.exit(1 if problems else 0)
