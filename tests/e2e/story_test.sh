#!/bin/sh
# A story played by the real program under scripted clicks: pages, a menu picked twice, a jump
# back round a loop and a change of script, followed line by line with --trace-lines.
set -eu
. "$(dirname "$0")/lib.sh"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' \
    '// the first script' \
    'Page one' \
    '\\loop' \
    'choices||Again\again||Onward\onward' \
    '\\again' \
    'Again page' \
    '\loop' \
    '\\onward' \
    'part2.txt' \
    'Never shown' >"$game/script/start.txt"
printf '%s\r\n' 'Part two' 'The end' >"$game/script/part2.txt"

# Clicks come after the start-up guard (passes sleep at least 10 ms until then). The first
# menu pick is row 0 (y 480-506), the second row 1 (y 506-532). The last click ends the story,
# which must close the program by itself.
cat >"$WORK/input.txt" <<'EOF'
pass 40 tap left
pass 45 move 10 490
pass 46 tap left
pass 50 tap left
pass 55 move 10 520
pass 56 tap left
pass 60 tap left
pass 65 tap left
EOF

run_story "$WORK/input.txt" "$game"
cat >"$WORK/expected" <<'EOF'
0 Comment
1 Text
2 Label
3 Choices
4 Label
5 Text
6 Jump
2 Label
3 Choices
7 Label
8 NextScript
0 Text
1 Text
EOF
diff -u "$WORK/expected" "$WORK/visited" >"$WORK/diff" ||
    fail "the story took another path: $(cat "$WORK/diff") (stderr: $(cat "$WORK/err"))"
grep -q '^tsuzuri: line 0 Text: Part two$' "$WORK/err" ||
    fail "the trace does not show the line's text: $(cat "$WORK/err")"
if grep -v '^tsuzuri: line ' "$WORK/err" | grep -q .; then
    fail "unexpected messages: $(cat "$WORK/err")"
fi
echo "story: all checks passed"
