#!/bin/sh
# --start-at and F5, headless: the story starts at a file line, and a script edited while it
# plays is read again and goes on at the same line.
set -eu
. "$(dirname "$0")/lib.sh"
DEMO="$(cd "$(dirname "$0")/../../demo" && pwd)"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
cp "$DEMO/cg/sky.png" "$game/cg/sky.png"
cp "$DEMO/wave/rain.wav" "$game/wave/rain.wav"
printf '%s\r\n' '// opening' 'sky.png' 'Page one' '*rain.wav' 'Page two' '' 'choices||a\x' \
    '\\x' 'Page three' 'Page four' >"$game/script/start.txt"

# File line 9 is the eighth stored line: nothing before it is shown or traced.
printf 'pass 40 tap left\npass 50 tap left\n' >"$WORK/input.txt"
set +e
timeout 60 "$TSUZURI" --headless --input "$WORK/input.txt" --trace-lines \
    --start-at start.txt:9 "$game" >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 0
[ "$(sed -n 's/^tsuzuri: line //p' "$WORK/err")" = "$(printf '7 Text: Page three\n8 Text: Page four')" ] ||
    fail "the story did not start at file line 9: $(cat "$WORK/err")"

# The place as the checker prints it, from the game's parent folder; and a label.
cd "$WORK"
set +e
timeout 60 "$TSUZURI" --headless --input "$WORK/input.txt" --trace-lines \
    --start-at game/script/start.txt:9:1 game >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
cd - >/dev/null
expect_rc 0
grep -q '^tsuzuri: line 7 Text: Page three' "$WORK/err" && ! grep -q 'Page two' "$WORK/err" ||
    fail "the checker's place was not taken: $(cat "$WORK/err")"
set +e
timeout 60 "$TSUZURI" --headless --input "$WORK/input.txt" --trace-lines \
    --start-at 'start.txt:*x' "$game" >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 0
grep -q '^tsuzuri: line 7 Text: Page three' "$WORK/err" && ! grep -q 'Page two' "$WORK/err" ||
    fail "the story did not start at label x: $(cat "$WORK/err")"
run --headless --start-at 'start.txt:*nowhere' "$game"
expect_rc 2
expect_err "has no label 'nowhere'"
run --headless --start-at start.txt:12x "$game"
expect_rc 2
expect_err "not '12x'"

run --headless --start-at start.txt:11 "$game"
expect_rc 2
expect_err "past its end"
run --headless --start-at missing.txt "$game"
expect_rc 2
expect_err "no script 'missing.txt'"

# F5 once the script has been edited: the story stands on file line 1, which is now a comment
# before the edited page.
printf '%s\r\n' 'Page one' 'Page two' >"$game/script/start.txt"
printf 'ms 2500 tap f5\nms 3000 tap left\nms 3500 tap left\n' >"$WORK/reload.txt"
timeout 60 "$TSUZURI" --headless --input "$WORK/reload.txt" --trace-lines "$game" \
    >"$WORK/out" 2>"$WORK/err" &
player_pid=$!
for _ in $(seq 200); do
    grep -q '^tsuzuri: line 0 ' "$WORK/err" && break
    sleep 0.05
done
printf '%s\r\n' '// edited' 'Page one, edited' 'Page two' >"$game/script/start.txt"
wait_for_player_end "the story did not end after the reload"
expect_rc 0
cat >"$WORK/expected" <<'END'
tsuzuri: line 0 Text: Page one
tsuzuri: reloaded script/start.txt
tsuzuri: line 0 Comment: // edited
tsuzuri: line 1 Text: Page one, edited
tsuzuri: line 2 Text: Page two
END
diff -u "$WORK/expected" "$WORK/err" >"$WORK/diff" || fail "unexpected run: $(cat "$WORK/diff")"
echo "start-at and reload: all checks passed"
