#!/bin/sh
# Carrying on where the story stopped, headless: a run closed on its third page is continued
# with its scene picture and its BGM; without a save, or with a damaged one, the story starts
# from the beginning; after the end of the story too, though its saves stay.
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
place=$(ls "$state"/saves/*/auto-1.save) || fail "no place was kept: $(ls -R "$state")"
grep -qx 'line 5' "$place" || fail "the place is not the third page: $(cat "$place")"
grep -qx 'picture sky.png' "$place" || fail "the place lacks the picture: $(cat "$place")"

# The silent run from the same place: its first frame is the first run's last, and the BGM's
# tone is heard.
run --headless --continue --record "$WORK/second" --state-dir "$state" --frames 60 "$game"
expect_rc 0
expect_err "continuing at line 5 of script/start.txt"
python3 - "$WORK/first" "$WORK/second" "$HERE/../../tools" <<'PY' || fail "the continued run differs"
import os, sys
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
PY
python3 "$HERE/tone_heard.py" "$WORK/second" 0 440 || fail "the BGM is not heard"

# Runs for tests leave nothing behind without --state-dir, but read the default folders.
XDG_STATE_HOME="$WORK/xdg" XDG_DATA_HOME="$WORK/xdg-data" \
    run --headless --input "$WORK/input.txt" "$game"
[ ! -e "$WORK/xdg" ] || fail "a headless run without --state-dir wrote $(ls -R "$WORK/xdg")"
[ ! -e "$WORK/xdg-data" ] || fail "a headless run without --state-dir saved $(ls -R "$WORK/xdg-data")"
mkdir -p "$WORK/xdg-data/tsuzuri"
cp -r "$state/saves" "$WORK/xdg-data/tsuzuri/saves"
XDG_STATE_HOME="$WORK/xdg" XDG_DATA_HOME="$WORK/xdg-data" \
    run --headless --continue --frames 5 "$game"
expect_err "continuing at line 5"

# Outside a game folder, without GAME_DIR: the game played last.
(cd "$WORK" && run --headless --continue --state-dir "$state" --frames 5 --trace-lines)
expect_err "continuing at line 5"
expect_err "line 4 Text: Page three"

# Damaged saves: one line says so for each, and the story starts from the beginning.
cp "$place" "$WORK/place"
saves=0
for save in "$state"/saves/*/auto-*.save; do
    head -c 20 "$WORK/place" >"$save"
    saves=$((saves + 1))
done
run --headless --continue --state-dir "$state" --frames 5 --trace-lines "$game"
expect_rc 0
[ "$(grep -c 'cannot continue' "$WORK/err")" -eq "$saves" ] ||
    fail "not one line for each of $saves saves: $(cat "$WORK/err")"
expect_err "line 2 Text: Page one"

# Played to the end from the place: the next --continue starts from the beginning, and says
# why.
rm "$state"/saves/*/auto-*.save
cp "$WORK/place" "$place"
printf 'pass 40 tap left\npass 50 tap left\n' >"$WORK/end.txt"
set +e
timeout 60 "$TSUZURI" --headless --continue --input "$WORK/end.txt" --state-dir "$state" "$game" \
    >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 0
[ -e "$place" ] || fail "the save went at the end of the story"
run --headless --continue --state-dir "$state" --frames 5 --trace-lines "$game"
expect_err "the story ended after its last save; starting from the beginning"
expect_err "line 2 Text: Page one"
echo "continue: all checks passed"
