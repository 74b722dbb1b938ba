#!/bin/sh
# Recording onto a disk that fills up: the write that fails is named on stderr with the
# system's reason, the recording stops there and the story plays on to its normal end (exit
# code 0). What reached the disk is whole: audio.wav's header counts exactly the sound in the
# file, index.tsv starts with its header and lists only frames that are there. On a disk full
# from the start the folder is refused (exit code 2) and nothing is left behind; F12 on a full
# disk names the file and the reason. The disk is a 200 KB tmpfs, which needs root.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3

mkdir "$WORK/full"
if ! mount -t tmpfs -o size=200k tmpfs "$WORK/full" 2>"$WORK/mount.err"; then
    echo "SKIP: cannot mount a small tmpfs to fill: $(cat "$WORK/mount.err")"
    exit 77
fi
trap 'umount "$WORK/full" 2>/dev/null || true; rm -rf "$WORK"' EXIT

# The first page's frame fits; then the sound (192 KB a second) fills the 200 KB within about
# a second, and the pages turned later are still shown.
make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'page%s\r\n' 1 2 3 >"$WORK/game/script/start.txt"
printf '%s\n' 'ms 2000 tap enter' 'ms 2500 tap enter' >"$WORK/pages"
run --headless --input "$WORK/pages" --trace-lines --seconds 3 --record "$WORK/full/run" \
    "$WORK/game"
expect_rc 0
expect_err "Text: page3"
[ "$(grep -c 'cannot write' "$WORK/err")" -eq 1 ] || fail "not one failure line: $(cat "$WORK/err")"
expect_err "tsuzuri: cannot write $WORK/full/run/audio.wav: No space left on device;"
expect_err "; the recording stops here, the play goes on"
python3 - "$WORK/full/run" <<'PY' || fail "the recording on the full disk is not whole"
import os, struct, sys

run = sys.argv[1]
wav = open(f"{run}/audio.wav", "rb").read()
assert wav[:4] == b"RIFF" and wav[36:40] == b"data", "no WAV header"
riff, = struct.unpack_from("<I", wav, 4)
data, = struct.unpack_from("<I", wav, 40)
assert riff == len(wav) - 8 and data == len(wav) - 44, \
    f"header counts {data} bytes, the file holds {len(wav) - 44}"
assert data > 0 and data % 4 == 0, f"{data} bytes of sound"
lines = open(f"{run}/index.tsv", encoding="utf-8").read().split("\n")
assert lines[0] == "file\tpass\tms\tscript\tline" and lines[-1] == "", lines
rows = [line.split("\t") for line in lines[1:-1]]
assert rows and all(len(row) == 5 for row in rows), rows
listed = {row[0] for row in rows}
on_disk = {name for name in os.listdir(run) if name.startswith("frame-")}
assert listed == on_disk, f"index {sorted(listed)}, folder {sorted(on_disk)}"
for name in listed:
    assert open(f"{run}/{name}", "rb").read()[-8:-4] == b"IEND", f"{name} is cut short"
PY

# Full from the start: not even index.tsv's header fits, so the folder is refused.
dd if=/dev/zero of="$WORK/full/filler" bs=4096 2>/dev/null || true
run --headless --seconds 1 --record "$WORK/full/run2" "$WORK/game"
expect_rc 2
expect_err "cannot write $WORK/full/run2/index.tsv: No space left on device"
[ ! -e "$WORK/full/run2" ] || fail "the refused recording left $(ls -A "$WORK/full/run2")"

printf 'ms 300 tap f12\n' >"$WORK/keys"
XDG_PICTURES_DIR="$WORK/full/pictures" \
    run --headless --input "$WORK/keys" --trace-lines --autoplay=400 --seconds 1.5 "$WORK/game"
expect_rc 0
expect_err "tsuzuri: cannot save the screen: $WORK/full/pictures/tsuzuri-game-"
expect_err ".png: No space left on device"
expect_err "Text: page3"
[ -z "$(ls -A "$WORK/full/pictures")" ] || fail "a cut-short screenshot was left behind"
echo "record full disk: all checks passed"
