#!/bin/sh
# Going back from the backlog, headless: on page five, the wheel turned up twice shows page
# three, and R takes the story back there, from where it goes on; rewound to a menu, the menu
# waits to be chosen again and another row can be picked.
set -eu
. "$(dirname "$0")/lib.sh"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' 'Page one' 'Page two' 'Page three' 'Page four' 'Page five' \
    'choices||Left\left||Right\right' '\\left' 'Went left' '\\right' 'Went right' \
    >"$game/script/start.txt"

# The pages the story arrived at, in order.
arrivals() { sed -n 's/^tsuzuri: line [0-9]* [A-Za-z]*: \(.*\)/\1/p' "$WORK/err" | tr '\n' '|'; }

printf '%s\n' 'pass 40 tap left' 'pass 50 tap left' 'pass 60 tap left' 'pass 70 tap left' \
    'pass 90 wheel up 2' 'pass 100 tap r' 'pass 130 tap left' >"$WORK/pages.txt"
run --headless --input "$WORK/pages.txt" --frames 160 --trace-lines "$game"
expect_rc 0
[ "$(arrivals)" = "Page one|Page two|Page three|Page four|Page five|Page three|Page four|" ] ||
    fail "R in the backlog did not go back to page three: $(arrivals)"

printf '%s\n' 'pass 40 tap left' 'pass 50 tap left' 'pass 60 tap left' 'pass 70 tap left' \
    'pass 80 tap left' 'pass 90 tap down' 'pass 100 tap enter' 'pass 120 wheel up 1' \
    'pass 130 tap r' 'pass 150 tap down' 'pass 160 tap down' 'pass 170 tap enter' \
    >"$WORK/menu.txt"
run --headless --input "$WORK/menu.txt" --frames 200 --trace-lines "$game"
expect_rc 0
case "$(arrivals)" in
*"|Went left|choices"*"|Went right|") ;;
*) fail "the menu rewound to did not take another row: $(arrivals)" ;;
esac
echo "rewind: all checks passed"
