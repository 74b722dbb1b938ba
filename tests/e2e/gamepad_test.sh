#!/bin/sh
# Playing without a mouse, headless: a story with a three-row menu played to its end with the
# gamepad alone, with the keyboard alone and with taps, picking the third row; the highlight
# handed between keys and pointer; holding Back for 300 ms does not quit, for 1,100 ms does.
set -eu
. "$(dirname "$0")/lib.sh"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' 'Intro' 'choices||A\a||B\b||C\c' '\\a' 'A page' '\end' '\\b' 'B page' '\end' \
    '\\c' 'C page' '\\end' >"$game/script/start.txt"

cat >"$WORK/input.txt" <<'EOF2'
pass 40 tap pad-a
pass 45 tap pad-down
pass 46 tap pad-down
pass 47 tap pad-down
pass 48 tap pad-down
pass 50 tap pad-a
pass 60 tap pad-a
EOF2
run_story "$WORK/input.txt" "$game"
[ "$(pages)" = "Intro C page " ] || fail "with the gamepad the pages were '$(pages)'"

# Y opens the backlog on the last page, the left shoulder goes further back, A leaves it without
# turning the page: the story still waits on "C page" when the run stops.
sed 's/^pass 60 tap pad-a$/pass 60 tap pad-y/' "$WORK/input.txt" >"$WORK/backlog.txt"
printf 'pass 62 tap pad-lb\npass 64 tap pad-a\n' >>"$WORK/backlog.txt"
run --headless --input "$WORK/backlog.txt" --trace-lines --frames 120 "$game"
expect_rc 0
if grep -q '^tsuzuri: line 10 ' "$WORK/err"; then
    fail "the A that left the backlog also turned the page"
fi
grep -q '^tsuzuri: line 9 Text: C page' "$WORK/err" || fail "the third row was not picked"

sed 's/pad-a/enter/; s/pad-down/down/' "$WORK/input.txt" >"$WORK/keys.txt"
run_story "$WORK/keys.txt" "$game"
[ "$(pages)" = "Intro C page " ] || fail "with the keyboard the pages were '$(pages)'"

# The pointer on row 0 (y 480-506); Down moves the highlight to row 1 and Enter picks it.
cat >"$WORK/input.txt" <<'EOF2'
pass 40 tap left
pass 45 move 400 490
pass 47 tap down
pass 50 tap enter
pass 60 tap enter
EOF2
run_story "$WORK/input.txt" "$game"
[ "$(pages)" = "Intro B page " ] || fail "Enter did not pick the keys' row: '$(pages)'"

# Keys light row 1, then the pointer moves onto row 2 and has the highlight: Enter picks 2.
cat >"$WORK/input.txt" <<'EOF2'
pass 40 tap left
pass 45 move 400 490
pass 47 tap down
pass 49 move 400 545
pass 52 tap enter
pass 60 tap enter
EOF2
run_story "$WORK/input.txt" "$game"
[ "$(pages)" = "Intro C page " ] || fail "the pointer did not take the highlight back: '$(pages)'"

# While the keys hold row 1, a click picks the row under the pointer (row 0).
cat >"$WORK/input.txt" <<'EOF2'
pass 40 tap left
pass 45 move 400 490
pass 47 tap down
pass 50 tap left
pass 60 tap left
EOF2
run_story "$WORK/input.txt" "$game"
[ "$(pages)" = "Intro A page " ] || fail "the click did not pick the pointer's row: '$(pages)'"

# Touch at 2x, in the frame's 800x600 space: a tap turns the page, a tap on row 2 (y 532-558)
# picks it.
cat >"$WORK/input.txt" <<'EOF2'
pass 40 touch 700 100
pass 45 touch 400 545
pass 50 touch 10 10
EOF2
run_story "$WORK/input.txt" "$game" --scale 2
[ "$(pages)" = "Intro C page " ] || fail "with taps the pages were '$(pages)'"

# Back held 300 ms does nothing; held from 1 s on it quits at about 2 s, long before the
# 8-second limit.
cat >"$WORK/input.txt" <<'EOF2'
ms 400 down pad-back
ms 700 up pad-back
ms 1000 down pad-back
ms 2100 up pad-back
EOF2
start=$(date +%s%N)
run --headless --input "$WORK/input.txt" --seconds 8 "$game"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
expect_rc 0
[ "$elapsed" -ge 1900 ] || fail "the player ended after ${elapsed} ms: a short Back press quit"
[ "$elapsed" -lt 6000 ] || fail "the player ended after ${elapsed} ms: holding Back did not quit"
echo "gamepad: all checks passed"
