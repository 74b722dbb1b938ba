#!/bin/sh
# Names written as on Windows, followed with --trace-lines: a picture line with a stray blank
# at its end shows the picture, one ending in a backslash is a page of text, and a script
# named with a slash ("sub/two.txt") keeps the game's folder for its own picture lines.
set -eu
. "$(dirname "$0")/lib.sh"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
cp "$(dirname "$0")/../../demo/cg/corridor.bmp" "$game/cg/bg.bmp"
mkdir "$game/script/sub"
printf '%s\r\n' 'bg.bmp ' 'bg.bmp\' 'sub/two.txt' >"$game/script/start.txt"
printf '%s\r\n' 'bg.bmp' 'The end' >"$game/script/sub/two.txt"
printf '%s\n' 'pass 40 tap left' 'pass 50 tap left' >"$WORK/input.txt"

run_story "$WORK/input.txt" "$game"
printf '%s\n' '0 Image' '1 Text' '2 NextScript' '0 Image' '1 Text' >"$WORK/expected"
diff -u "$WORK/expected" "$WORK/visited" >"$WORK/diff" ||
    fail "the story took another path: $(cat "$WORK/diff") (stderr: $(cat "$WORK/err"))"
if grep -v '^tsuzuri: line ' "$WORK/err" | grep -q .; then
    fail "unexpected messages: $(cat "$WORK/err")"
fi
echo "names: all checks passed"
