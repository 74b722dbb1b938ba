#!/bin/sh
# The player's own chooser in headless runs whose input file has no `choose` answer: a game
# without a start script offers its scripts and Down+Enter plays the second; --choose-game
# offers the folders of the current directory, opens a folder that is no game and plays the
# game picked in it; Escape there ends quietly; a `choose` line still answers first. A chooser
# that nothing can answer any more is cancelled (a game without Game.INI then ends with the
# scenario message), and --seconds counts from the chooser's first pass.
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
# Nothing left to answer with: cancelled at once, as a reader closing the chooser.
mkdir -p "$WORK/bare/script"
printf 'Hello\r\n' >"$WORK/bare/script/a.txt"
set +e
timeout 20 "$TSUZURI" --headless "$WORK/bare" >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
[ "$rc" -ne 124 ] || fail "the chooser waited for input that never comes"
expect_rc 0
expect_err "nothing left to answer the chooser with; taking it as cancelled"
grep -q "Error" "$WORK/err" || fail "no scenario message: $(cat "$WORK/err")"
# Input still to come, but the run's time is up first.
printf 'ms 30000 tap enter\n' >"$WORK/input.txt"
set +e
timeout 20 "$TSUZURI" --headless --seconds 1 --input "$WORK/input.txt" "$WORK/bare" \
    >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
[ "$rc" -ne 124 ] || fail "--seconds did not end the run in the chooser"
echo "chooser: all checks passed"
