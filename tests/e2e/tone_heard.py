"""Whether a recording's audio.wav holds a tone: the left channel's quarter second from a time
on, with the tone's power far above another frequency's. Used by the end-to-end tests.

    tone_heard.py RUN_FOLDER FROM_MS FREQUENCY
"""
import array
import math
import os
import sys
import wave


def main():
    run, from_ms, freq = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    with wave.open(os.path.join(run, "audio.wav")) as audio:
        rate, channels = audio.getframerate(), audio.getnchannels()
        left = array.array("h", audio.readframes(audio.getnframes()))[::channels]
    part = left[from_ms * rate // 1000:][: rate // 4]

    def power(f):
        w = 2 * math.pi * f / rate
        re = sum(s * math.cos(w * i) for i, s in enumerate(part))
        im = sum(s * math.sin(w * i) for i, s in enumerate(part))
        return re * re + im * im

    tone, other = power(freq), power(freq * 2.27)
    if len(part) < rate // 4 or tone < 100 * other or tone < 1e12:
        sys.exit(f"no {freq:g} Hz tone from {from_ms} ms ({tone:.3g} vs {other:.3g})")


if __name__ == "__main__":
    main()
