#!/bin/sh
# Carrying on where the story stopped, headless: a run closed on its third page is continued
# with its scene picture and its BGM; without a place, or with a damaged one, the story starts
# from the beginning; the end of the story forgets the place.
set -eu
. "$(dirname "$0")/lib.sh"
HERE="$(cd "$(dirname "$0")" && pwd)"
require_tools python3

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt" "WindowTitle=Continue"
cp "$HERE/../../demo/cg/sky.png" "$game/cg/sky.png"
python3 - "$game/wave/tone.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(48000)
    out.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * 440 * i / 48000)))
                             for i in range(48000)))
PY
printf '%s\r\n' 'sky.png' '*tone.wav' 'Page one' 'Page two' 'Page three' 'Page four' \
    >"$game/script/start.txt"
state="$WORK/state"

# Escape on the third page (file line 5).
printf 'pass 40 tap left\npass 50 tap left\npass 60 tap escape\n' >"$WORK/input.txt"
run --headless --input "$WORK/input.txt" --record "$WORK/first" --state-dir "$state" "$game"
expect_rc 0
place=$(ls "$state"/game-*.state) || fail "no place was remembered: $(ls -a "$state")"
grep -qx 'line 5' "$place" || fail "the place is not the third page: $(cat "$place")"
grep -qx 'picture sky.png' "$place" || fail "the place lacks the picture: $(cat "$place")"

# The silent run from the same place: its first frame is the first run's last, and the BGM's
# tone is heard.
run --headless --continue --record "$WORK/second" --state-dir "$state" --frames 60 "$game"
expect_rc 0
expect_err "continuing at line 5 of script/start.txt"
python3 - "$WORK/first" "$WORK/second" "$HERE/../../tools" <<'PY' || fail "the continued run differs"
import array, math, os, sys, wave
sys.path.insert(0, sys.argv[3])
from compare_screenshot import read_png  # noqa: E402

def frames(run):
    return [line.split("\t")[0] for line in open(os.path.join(run, "index.tsv"))][1:]

first, second = sys.argv[1], sys.argv[2]
page_one = read_png(os.path.join(first, frames(first)[0]))
page_three = read_png(os.path.join(first, frames(first)[-1]))
shown = read_png(os.path.join(second, frames(second)[0]))
if page_three == page_one:
    sys.exit("the first run's frames do not tell the pages apart")
if shown != page_three:
    sys.exit("the first frame of the continued run is not the third page with its picture")

with wave.open(os.path.join(second, "audio.wav")) as audio:
    rate, channels = audio.getframerate(), audio.getnchannels()
    left = array.array("h", audio.readframes(audio.getnframes()))[::channels][: rate // 4]

def power(freq):
    w = 2 * math.pi * freq / rate
    re = sum(s * math.cos(w * i) for i, s in enumerate(left))
    im = sum(s * math.sin(w * i) for i, s in enumerate(left))
    return re * re + im * im

if len(left) < rate // 4 or power(440) < 100 * power(1000) or power(440) < 1e12:
    sys.exit(f"audio.wav lacks the BGM's 440 Hz tone ({power(440):.3g} vs {power(1000):.3g})")
PY

# Runs for tests leave nothing behind without --state-dir, but read the default folder.
XDG_STATE_HOME="$WORK/xdg" run --headless --input "$WORK/input.txt" "$game"
[ ! -e "$WORK/xdg" ] || fail "a headless run without --state-dir wrote $(ls -R "$WORK/xdg")"
mkdir -p "$WORK/xdg"
cp -r "$state" "$WORK/xdg/tsuzuri"
XDG_STATE_HOME="$WORK/xdg" run --headless --continue --frames 5 "$game"
expect_err "continuing at line 5"

# Outside a game folder, without GAME_DIR: the game played last.
(cd "$WORK" && run --headless --continue --state-dir "$state" --frames 5 --trace-lines)
expect_err "continuing at line 5"
expect_err "line 4 Text: Page three"

# A damaged place: one line says so, and the story starts from the beginning.
cp "$place" "$WORK/place"
head -c 20 "$WORK/place" >"$place"
run --headless --continue --state-dir "$state" --frames 5 --trace-lines "$game"
expect_rc 0
[ "$(grep -c 'cannot continue' "$WORK/err")" -eq 1 ] || fail "not one line: $(cat "$WORK/err")"
expect_err "line 2 Text: Page one"

# Played to the end from the place, it is forgotten; the next --continue says there is none.
cp "$WORK/place" "$place"
printf 'pass 40 tap left\npass 50 tap left\n' >"$WORK/end.txt"
set +e
timeout 60 "$TSUZURI" --headless --continue --input "$WORK/end.txt" --state-dir "$state" "$game" \
    >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 0
[ ! -e "$place" ] || fail "the place was not forgotten at the end of the story"
run --headless --continue --state-dir "$state" --frames 5 --trace-lines "$game"
expect_err "no remembered place for this game; starting from the beginning"
expect_err "line 2 Text: Page one"
echo "continue: all checks passed"
