#!/usr/bin/env python3
"""Measures how well the player keeps the timing of a Wao sequence, from what it actually plays.

A game is generated in a temporary folder: one script line starts a sequence of 20 cues of a
short click at irregular offsets. The real player runs it headless with SDL's disk driver, and
the onset of every click is found in the capture. Each onset is compared with its ideal time,
both measured from the first cue's onset, so the constant output latency cancels.

SDL's disk driver paces itself by sleeping one buffer's time after each buffer, so it writes a
little fewer than 48000 frames per second of wall-clock time (about 1 % fewer here). Read at the
nominal rate, the capture's timeline would shrink against the clock that schedules the cues,
and the error would grow with the offset. The script therefore watches the capture file grow
while the player runs and times each onset by when its buffer was written (the driver writes a
buffer as soon as the mixer has filled it), plus its place in the buffer: the wall-clock time
the mixer produced it. The driver's drift and the figures at the nominal rate are reported
beside it.

Usage: cue_timing.py PLAYER [--json]
"""
import json
import os
import random
import struct
import subprocess
import sys
import tempfile
import threading
import time

RATE = 48000
CUE_COUNT = 20
CLICK_FRAMES = 240  # 5 ms
CLICK_LEVEL = 20000
ONSET_THRESHOLD = 1000
BUFFER_FRAMES = 480  # what the player asks the device for
BUFFER_BYTES = BUFFER_FRAMES * 4


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


class GrowthWatcher:
    """Samples (wall-clock time, bytes written) of the capture file while the player runs."""

    def __init__(self, path):
        self.path = path
        self.samples = []
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.run)

    def run(self):
        last = -1
        while not self.stop.is_set():
            try:
                size = os.stat(self.path).st_size
            except FileNotFoundError:
                size = -1
            now = time.monotonic()
            if size != last and size > 0:
                self.samples.append((now, size))
                last = size
            time.sleep(0.00025)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stop.set()
        self.thread.join()


def fill_times(samples):
    """(buffer index, wall-clock second) pairs: when the driver wrote out each buffer that made
    the file grow. The driver writes a buffer right after the mixer has filled it; the C library
    passes the writes on in 4096-byte blocks, flushing a full block when the next write arrives,
    so a file that has just reached S bytes was brought there by the write of buffer S // 1920
    (1920 bytes a buffer)."""
    return [(size // BUFFER_BYTES, t) for t, size in samples]


def wall_time(fills, frame):
    """The wall-clock time a captured frame stands for: when its buffer was filled (between two
    observed writes, interpolated), plus its place in the buffer at the nominal rate."""
    buffer, within = divmod(frame, BUFFER_FRAMES)
    for (n0, t0), (n1, t1) in zip(fills, fills[1:]):
        if n0 <= buffer <= n1 and n1 > n0:
            return t0 + (t1 - t0) * (buffer - n0) / (n1 - n0) + within / RATE
    raise RuntimeError(f"frame {frame} lies outside the observed writes")


def fitted_rate(fills):
    """Frames written per wall-clock second over the whole run: a least-squares line."""
    n = len(fills)
    mean_b = sum(b for b, _ in fills) / n
    mean_t = sum(t for _, t in fills) / n
    stt = sum((t - mean_t) ** 2 for _, t in fills)
    stb = sum((t - mean_t) * (b - mean_b) for b, t in fills)
    return stb / stt * BUFFER_FRAMES


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
        capture_path = os.path.join(work, "capture.raw")
        script = os.path.join(work, "input.txt")
        with open(script, "w") as f:
            # The whole sequence plus a margin for start-up, then quit.
            f.write(f"ms {offsets[-1] + 1500} close\n")
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=capture_path)
        with GrowthWatcher(capture_path) as watcher:
            result = subprocess.run([player, "--headless", "--input", script, game], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if result.returncode != 0:
            raise RuntimeError(f"player failed ({result.returncode}): {result.stderr.strip()}")
        with open(capture_path, "rb") as f:
            capture = f.read()
        fills = fill_times(watcher.samples)

    found = onsets(capture)
    if len(found) != CUE_COUNT:
        raise RuntimeError(f"found {len(found)} onsets in the capture, expected {CUE_COUNT}")
    if len(fills) < 10:
        raise RuntimeError("the capture file was not seen growing")

    def errors(time_of):
        return [(time_of(f) - time_of(found[0])) * 1000 - (o - offsets[0])
                for f, o in zip(found, offsets)]

    on_clock = errors(lambda frame: wall_time(fills, frame))
    nominal = errors(lambda frame: frame / RATE)
    rate = fitted_rate(fills)
    return {
        "cues": CUE_COUNT,
        "span_ms": offsets[-1] - offsets[0],
        "disk_rate": rate,
        "disk_drift_percent": (rate / RATE - 1) * 100,
        "worst_ms": max(abs(e) for e in on_clock),
        "mean_ms": sum(abs(e) for e in on_clock) / len(on_clock),
        "errors_ms": [round(e, 2) for e in on_clock],
        "worst_nominal_ms": max(abs(e) for e in nominal),
    }


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    figures = measure(sys.argv[1])
    if "--json" in sys.argv[2:]:
        print(json.dumps(figures))
        return
    print(f"{figures['cues']} cues over {figures['span_ms']} ms")
    print(f"disk driver: {figures['disk_rate']:.0f} frames per wall-clock second "
          f"({figures['disk_drift_percent']:+.2f} %)")
    print(f"onset error from the first cue, worst: {figures['worst_ms']:.2f} ms, "
          f"mean: {figures['mean_ms']:.2f} ms (at the nominal rate, worst: "
          f"{figures['worst_nominal_ms']:.2f} ms)")
    print("errors (ms):", " ".join(f"{e:+.1f}" for e in figures["errors_ms"]))


if __name__ == "__main__":
    main()
