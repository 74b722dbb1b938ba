#!/bin/sh
# F12 saves the frame as presented into the pictures folder: a PNG equal to the recorded frame
# of that moment (with the note M put in the corner, which goes 1.5 s later), named after the
# game folder in UTF-8 (here a Shift-JIS name on disk); a second F12 in the same second adds
# "-2". A folder that cannot be made is reported and play goes on.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3
HERE="$(cd "$(dirname "$0")" && pwd)"

game="$WORK/$(printf '\225\250\214\352')"  # 物語 in Shift-JIS
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
cp "$HERE/../data/gif/interlaced-rows.gif" "$game/cg/rows.gif"
printf '%s\r\n' 'rows.gif' 'Hello' 'World' >"$game/script/start.txt"
printf '%s\n' 'ms 600 tap m' 'ms 1000 tap f12' 'ms 1000 tap f12' >"$WORK/keys"

# A fixed calendar: the names cannot fall on either side of a second boundary.
SOURCE_DATE_EPOCH=1765440000 XDG_PICTURES_DIR="$WORK/pictures/new" \
    run --headless --input "$WORK/keys" --record "$WORK/run" --seconds 2.5 "$game"
expect_rc 0
expect_err "tsuzuri: saved the screen as $WORK/pictures/new/tsuzuri-物語-"
python3 - "$WORK" "$HERE/../../tools" <<'PY' || fail "the saved screens are not the recorded frame"
import glob, os, re, sys

sys.path.insert(0, sys.argv[2])
from compare_screenshot import read_png  # noqa: E402

work = sys.argv[1]
saved = sorted(glob.glob(f"{work}/pictures/new/*.png"), key=len)
names = [os.path.basename(path) for path in saved]
assert len(names) == 2 and re.fullmatch(r"tsuzuri-物語-\d{8}-\d{6}\.png", names[0]) \
    and names[1] == names[0][:-4] + "-2.png", f"saved as {names}"
rows = [line.rstrip("\n").split("\t") for line in open(f"{work}/run/index.tsv")][1:]
shown = [name for name, _, ms, _, _ in rows if int(ms) < 1000]
noted = [name for name, _, ms, _, _ in rows if 600 <= int(ms) < 1000]
assert noted and shown[-1] == noted[-1], f"no frame with the note before F12: {rows}"
frame = read_png(f"{work}/run/{shown[-1]}")
for path in saved:
    assert read_png(path) == frame, f"{path} differs from {shown[-1]}"
before = read_png(f"{work}/run/{shown[-2]}")
assert before != frame, "the note is not in the frame"
later = [name for name, _, ms, _, _ in rows if int(ms) >= 1000]
assert len(later) == 1 and read_png(f"{work}/run/{later[0]}") == before, \
    f"the note does not go after its time: {rows}"
PY

touch "$WORK/file"
printf '%s\n' 'ms 300 tap f12' 'ms 600 tap enter' >"$WORK/keys"
XDG_PICTURES_DIR="$WORK/file/pictures" \
    run --headless --input "$WORK/keys" --trace-lines --seconds 1.5 "$game"
expect_rc 0
expect_err "tsuzuri: cannot save the screen: cannot make the folder $WORK/file/pictures"
expect_err "Text: World"
echo "screenshot key: all checks passed"
