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

# With the pointer only, in a fresh state: the middle button opens the system menu; Save (its
# first row), then slot 5 (first of the third row); after a page turn, the menu's Load (second
# row) opens the load screen, where slot 5 is the last of the first page (quick, slots 1 to 5).
state="$WORK/pointer-state"
play 'pass 50 tap left' 'pass 60 tap middle' 'pass 70 move 100 79' 'pass 80 tap left' \
    'pass 90 move 100 462' 'pass 100 tap left' 'pass 110 tap left' 'pass 120 tap middle' \
    'pass 130 move 100 109' 'pass 140 tap left' 'pass 150 move 500 462' 'pass 160 tap left'
slots=$(dirname "$(ls "$state"/saves/*/slot-05.save)") || fail "the pointer did not save: $(ls -R "$state")"
[ "$(place_line slot-05)" = "line 2" ] || fail "the pointer saved the wrong page"
[ "$(arrivals)" = "Page one|Page two|Page three|Page two|" ] ||
    fail "the pointer did not load its save: $(arrivals)"
# With the gamepad only: Start opens the system menu; Save, Down, A saves into slot 4 of a
# fresh state; after a page turn, Start, Down (Load), A opens the load screen on that save and
# A loads it.
state="$WORK/pad-state"
play 'pass 50 tap pad-a' 'pass 60 tap pad-start' 'pass 70 tap pad-a' 'pass 80 tap pad-down' \
    'pass 81 tap pad-down' 'pass 82 tap pad-down' 'pass 90 tap pad-a' 'pass 100 tap pad-a' \
    'pass 110 tap pad-start' 'pass 120 tap pad-down' 'pass 130 tap pad-a' 'pass 140 tap pad-a'
slots=$(dirname "$(ls "$state"/saves/*/slot-04.save)") || fail "the gamepad did not save: $(ls -R "$state")"
[ "$(place_line slot-04)" = "line 2" ] || fail "the gamepad saved the wrong page"
[ "$(arrivals)" = "Page one|Page two|Page three|Page two|" ] ||
    fail "the gamepad did not load its save: $(arrivals)"
echo "save screens: all checks passed"
