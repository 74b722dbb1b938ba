#!/bin/sh
# The save and load screens, headless. A plain start closed at once keeps the earlier place: the
# load screen opens on the newest automatic save, and Down then Enter loads the one before.
# With keys only: S, Down, Enter saves into slot 2; saving over it asks first (Escape says no,
# Enter yes); Delete (asked first) empties it. With the pointer: a click on slot 3 saves there. Escape closes a screen
# without quitting.
set -eu
. "$(dirname "$0")/lib.sh"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt" "WindowTitle=Screens"
printf '%s\r\n' 'Page one' 'Page two' 'Page three' 'Page four' 'Page five' 'Page six' \
    >"$game/script/start.txt"
state="$WORK/state"
play() {
    printf '%s\n' "$@" >"$WORK/input.txt"
    run --headless --input "$WORK/input.txt" --state-dir "$state" --frames 300 --trace-lines \
        "$game"
    expect_rc 0
}
# The pages the story arrived at, in order.
arrivals() { sed -n 's/^tsuzuri: line [0-9]* Text: \(.*\)/\1/p' "$WORK/err" | tr '\n' '|'; }

play 'pass 50 tap left' 'pass 60 tap left' 'pass 70 tap left' 'pass 80 tap escape'
play 'pass 50 tap escape'
play 'pass 50 tap l' 'pass 60 tap down' 'pass 70 tap enter' 'pass 90 tap escape'
[ "$(arrivals)" = "Page one|Page four|" ] ||
    fail "Down then Enter did not load the earlier automatic save: $(arrivals)"

slots=$(dirname "$(ls "$state"/saves/*/auto-1.save)")
# The place a save stands for is its sixth line (the pages before it follow).
place_line() { sed -n 6p "$slots/$1.save"; }
play 'pass 50 tap left' 'pass 60 tap s' 'pass 70 tap down' 'pass 80 tap enter' \
    'pass 90 tap left' 'pass 100 tap s' 'pass 110 tap down' 'pass 120 tap enter' \
    'pass 130 tap escape' 'pass 140 tap enter' 'pass 150 tap enter'
[ "$(place_line slot-02)" = "line 3" ] || fail "slot 2 was not saved over: $(cat "$slots/slot-02.save")"
grep -qx 'text Page%20three' "$slots/slot-02.save" || fail "slot 2 lacks its page's first line"
[ "$(arrivals)" = "Page one|Page two|Page three|" ] || fail "a screen's keys reached the story: $(arrivals)"

play 'pass 50 tap s' 'pass 60 tap down' 'pass 70 tap delete' 'pass 80 tap escape' \
    'pass 90 tap delete' 'pass 100 tap enter' 'pass 110 tap escape'
[ ! -e "$slots/slot-02.save" ] || fail "slot 2 was not deleted"
[ "$(arrivals)" = "Page one|" ] || fail "the save screen's keys reached the story: $(arrivals)"

# Slot 3 is the first of the second row: x 0 to 400, y 236 to 412 of the 800x600 frame.
play 'pass 50 tap s' 'pass 60 move 100 300' 'pass 70 tap left'
[ "$(place_line slot-03)" = "line 1" ] || fail "a click on slot 3 did not save there"
echo "save screens: all checks passed"
