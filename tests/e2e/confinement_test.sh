#!/bin/sh
# A game reads only its own files: a script line naming a file outside the game folder through
# ".." is shown as text (with a line on stderr) instead of playing that file, and the checker
# reports it; a start script outside the folder is not read either.
set -eu
. "$(dirname "$0")/lib.sh"

printf 'SECRET page\r\n' >"$WORK/secret.txt"
make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' 'Hello' '..\..\secret.txt' 'End' >"$WORK/game/script/start.txt"
printf 'pass %s tap left\n' 40 60 80 100 120 >"$WORK/input"
run_story "$WORK/input" "$WORK/game"
if grep -q "SECRET" "$WORK/err"; then
    fail "a file outside the game was read: $(cat "$WORK/err")"
fi
expect_err "line 2 names '..\..\secret.txt', outside the game folder; it is not read"

run --check "$WORK/game"
expect_rc 1
grep -q "start.txt:2:1: error: .* outside the game folder.* \[outside-game\]" "$WORK/out" ||
    fail "the checker missed it: $(cat "$WORK/out")"

printf '[GameState]\r\nDefaultScriptFileName=..\\..\\secret.txt\r\n' >"$WORK/game/Game.INI"
run --headless --trace-lines "$WORK/game"
if grep -q "SECRET" "$WORK/err"; then
    fail "a start script outside the game was read: $(cat "$WORK/err")"
fi
expect_err "is outside the game folder; it is not read"
echo "confinement: all checks passed"
