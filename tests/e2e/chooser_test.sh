#!/bin/sh
# The player's own chooser in headless runs whose input file has no `choose` answer: a game
# without a start script offers its scripts and Down+Enter plays the second; --choose-game
# offers the folders of the current directory, opens a folder that is no game and plays the
# game picked in it; Escape there ends quietly; a `choose` line still answers first.
set -eu
. "$(dirname "$0")/lib.sh"

make_game "$WORK/games/first" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'First game\r\n' >"$WORK/games/first/script/start.txt"
make_game "$WORK/games/more/third" "[GameState]"
printf 'Script A\r\n' >"$WORK/games/more/third/script/a.txt"
printf 'Script B\r\n' >"$WORK/games/more/third/script/b.txt"
rm "$WORK/games/more/third/script/start.txt"

# Passes count the chooser's own; the story's passes count afresh once it starts.
cat >"$WORK/input.txt" <<'EOF2'
pass 3 tap down
pass 5 tap enter
pass 40 tap left
EOF2
run --headless --input "$WORK/input.txt" --trace-lines "$WORK/games/more/third"
expect_rc 0
[ "$(pages)" = "Script B " ] || fail "the script chooser played '$(pages)', not 'Script B'"

# The games folder lists "..", "first" and "more/": Down Down Enter opens "more", whose list
# is "..", "third": Down Enter plays third, which offers its scripts: Enter takes a.txt.
cat >"$WORK/input.txt" <<'EOF2'
pass 3 tap down
pass 4 tap down
pass 5 tap enter
pass 7 tap down
pass 8 tap enter
pass 10 tap enter
pass 40 tap left
EOF2
cd "$WORK/games"
run --headless --choose-game --input "$WORK/input.txt" --trace-lines
expect_rc 0
[ "$(pages)" = "Script A " ] || fail "the game chooser played '$(pages)', not 'Script A'"

printf 'pass 3 tap escape\n' >"$WORK/input.txt"
run --headless --choose-game --input "$WORK/input.txt" --trace-lines
expect_rc 0
if [ -s "$WORK/err" ]; then
    fail "cancelling the game chooser was not quiet: $(cat "$WORK/err")"
fi

printf 'pass 1 choose %s\npass 40 tap left\n' "$WORK/games/first" >"$WORK/input.txt"
run --headless --choose-game --input "$WORK/input.txt" --trace-lines
expect_rc 0
[ "$(pages)" = "First game " ] || fail "the chosen folder played '$(pages)', not 'First game'"
echo "chooser: all checks passed"
