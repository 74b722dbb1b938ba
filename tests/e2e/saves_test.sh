#!/bin/sh
# Quick save and quick load, headless: a run reads to page 3 of a six-page game, saves with F6,
# reads on to page 5 and quits; a second run with the same state folder starts plainly, loads
# with F9 on page 1, and shows page 3 as the first run did (outside the corner note), with its
# music. A damaged quick save, a link in its place or a file where the saves folder should be
# never stop the game: F9 and F6 say why.
set -eu
. "$(dirname "$0")/lib.sh"
HERE="$(cd "$(dirname "$0")" && pwd)"
require_tools python3 sox

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt" "WindowTitle=Saves"
sox -n -r 48000 -c 1 -b 16 "$game/wave/tone.wav" synth 1 sine 440 vol 0.4
printf '%s\r\n' 'Page one' 'Page two' '*tone.wav' 'Page three' 'Page four' 'Page five' \
    'Page six' >"$game/script/start.txt"
state="$WORK/state"

printf 'pass 40 tap left\npass 50 tap left\npass 70 tap f6\npass 90 tap left\npass 100 tap left\npass 120 tap escape\n' \
    >"$WORK/first.txt"
run --headless --input "$WORK/first.txt" --record "$WORK/first" --state-dir "$state" \
    --trace-lines "$game"
expect_rc 0
expect_err "line 5 Text: Page five"
ls "$state"/saves/*/quick.save "$state"/saves/*/quick.png >/dev/null ||
    fail "no quick save: $(ls -R "$state")"

printf 'pass 40 tap f9\n' >"$WORK/second.txt"
run --headless --input "$WORK/second.txt" --record "$WORK/second" --state-dir "$state" \
    --frames 80 --trace-lines "$game"
expect_rc 0
expect_err "line 3 Text: Page three"
python3 - "$WORK/first" "$WORK/second" "$HERE/../../tools" >"$WORK/out" <<'PY' || fail "the loaded page differs"
import os, sys
sys.path.insert(0, sys.argv[3])
from compare_screenshot import read_png  # noqa: E402

def shown(run, line):
    """The first frame of the run that shows script line index `line`."""
    rows = [r.rstrip("\n").split("\t") for r in open(os.path.join(run, "index.tsv"))][1:]
    name, _, ms, _, _ = next(r for r in rows if int(r[4]) == line)
    return read_png(os.path.join(run, name)), int(ms)

def below_corner(picture):
    width, height, pixels = picture
    skip = 50 * width * (len(pixels) // (width * height))  # the corner notes' rows
    return pixels[skip:]

first_page, _ = shown(sys.argv[1], 3)
loaded, loaded_ms = shown(sys.argv[2], 3)
if below_corner(first_page) != below_corner(loaded):
    sys.exit("the frame after F9 is not the first run's page three")
print(loaded_ms)
PY
loaded_ms=$(tail -n 1 "$WORK/out")
python3 "$HERE/tone_heard.py" "$WORK/second" "$loaded_ms" 440 || fail "the page's music is not heard after F9"

# A damaged quick save: F9 says why and the story stays where it is.
saves=$(dirname "$(ls "$state"/saves/*/quick.save)")
head -c 30 "$saves/quick.save" >"$WORK/damaged"
cp "$WORK/damaged" "$saves/quick.save"
run --headless --input "$WORK/second.txt" --state-dir "$state" --frames 60 --trace-lines "$game"
expect_rc 0
expect_err "cannot load the quick save: it ends before its"
grep -q "Text: Page three" "$WORK/err" && fail "a damaged save was loaded"

# A link where the quick save should be is never read through.
rm "$saves/quick.save"
ln -s /etc/passwd "$saves/quick.save"
run --headless --input "$WORK/second.txt" --state-dir "$state" --frames 60 "$game"
expect_rc 0
expect_err "cannot load the quick save: it is a link"

# A file where the game's saves folder should be: F6 says it cannot save, the run goes on.
rm -r "$saves"
: >"$saves"
printf 'pass 40 tap f6\npass 50 tap left\n' >"$WORK/save.txt"
run --headless --input "$WORK/save.txt" --state-dir "$state" --frames 80 --trace-lines "$game"
expect_rc 0
expect_err "cannot save: "
expect_err "line 1 Text: Page two"
echo "saves: all checks passed"
