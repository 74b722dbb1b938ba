#!/usr/bin/env python3
"""What a line starting long music costs the story, as a reader meets it: a fresh headless
player turns from a page to a line starting BGM and the next page, once with a 1-second file
and once with a long one (44.1 kHz stereo, made by sox). Reports, over several runs each, how
much longer the long file holds the next page (the gap between the click and the next page's
frame, from the recording's index) and how much more memory the whole run takes at its peak.

    bench/long_bgm_start.py build/tsuzuri [MINUTES] [RUNS]
"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile


def make_game(folder, seconds):
    for sub in ("script", "cg", "wave"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    with open(os.path.join(folder, "Game.INI"), "wb") as f:
        f.write(b"[GameState]\r\nDefaultScriptFileName=start.txt\r\n")
    with open(os.path.join(folder, "script", "start.txt"), "wb") as f:
        f.write(b"Page one\r\n*bgm.wav\r\nPage two\r\n")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16",
                    os.path.join(folder, "wave", "bgm.wav"), "synth", str(seconds), "sine",
                    "440", "vol", "0.3"], check=True)


def run_once(player, game, work):
    record = os.path.join(work, "run")
    shutil.rmtree(record, ignore_errors=True)
    input_file = os.path.join(work, "input")
    with open(input_file, "w") as f:
        f.write("pass 60 tap left\n")
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", XDG_STATE_HOME=work, XDG_CONFIG_HOME=work,
               XDG_DATA_HOME=work)
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    subprocess.run([player, "--headless", "--input", input_file, "--record", record,
                    "--frames", "120", game], check=True, env=env, stderr=subprocess.DEVNULL)
    peak_kb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    rows = [line.split("\t") for line in open(os.path.join(record, "index.tsv"))][1:]
    # The last frame before the click's pass shows page one; the next one page two.
    page_one = [r for r in rows if int(r[1]) < 60][-1]
    page_two = next(r for r in rows if int(r[1]) >= 60)
    return int(page_two[2]) - int(page_one[2]), peak_kb, before


def main():
    player = os.path.abspath(sys.argv[1])
    minutes = float(sys.argv[2]) if len(sys.argv) > 2 else 30
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    with tempfile.TemporaryDirectory() as work:
        results = {}
        for label, seconds in (("1 s", 1), (f"{minutes:g} min", int(minutes * 60))):
            game = os.path.join(work, label.replace(" ", ""))
            make_game(game, seconds)
            gaps, peaks = [], []
            for _ in range(runs):
                # Each run in a process of its own, so its peak is its own.
                out = subprocess.run([sys.executable, __file__, "--one", player, game, work],
                                     check=True, capture_output=True, text=True).stdout.split()
                gaps.append(int(out[0]))
                peaks.append(int(out[1]))
            results[label] = (gaps, peaks)
            print(f"{label}: page gap {gaps} ms, peak memory {[p // 1024 for p in peaks]} MB")
        (short_gaps, short_peaks), (long_gaps, long_peaks) = results.values()
        print(f"the long file holds the page {statistics.median(long_gaps) - statistics.median(short_gaps):+.0f} ms "
              f"(medians) and takes {(max(long_peaks) - max(short_peaks)) / 1024:+.1f} MB more at its peak")


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--one":
        gap, peak, _ = run_once(sys.argv[2], sys.argv[3], sys.argv[4])
        print(gap, peak)
    else:
        main()
