#!/bin/sh
# The recording folder is claimed at start-up: of two players started together with one new
# folder, one records and the other is refused with exit code 2. Names that cannot be meant
# are refused before anything is made: an option where the folder should be, a link to
# nowhere, a folder given as the input script. A script name with a tab keeps index.tsv's
# five columns.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools python3

make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'page%s\r\n' 1 2 3 >"$WORK/game/script/start.txt"

set +e
"$TSUZURI" --headless --autoplay=300 --seconds 1.5 --record "$WORK/run" "$WORK/game" \
    >"$WORK/out1" 2>"$WORK/err1" &
first=$!
"$TSUZURI" --headless --autoplay=300 --seconds 1.5 --record "$WORK/run" "$WORK/game" \
    >"$WORK/out2" 2>"$WORK/err2" &
second=$!
wait "$first"
rc1=$?
wait "$second"
rc2=$?
set -e
case "$rc1 $rc2" in
"0 2") winner=1 loser=2 ;;
"2 0") winner=2 loser=1 ;;
*) fail "exit codes $rc1 and $rc2 (stderr: $(cat "$WORK/err1" "$WORK/err2"))" ;;
esac
grep -qF "$WORK/run already holds a recording" "$WORK/err$loser" ||
    fail "the refused player says: $(cat "$WORK/err$loser")"
[ ! -s "$WORK/err$winner" ] || fail "the recording player says: $(cat "$WORK/err$winner")"
[ "$(head -n1 "$WORK/run/index.tsv")" = "$(printf 'file\tpass\tms\tscript\tline')" ] ||
    fail "index.tsv: $(cat "$WORK/run/index.tsv")"
[ "$(grep -c '^frame-' "$WORK/run/index.tsv")" -ge 3 ] || fail "the pages were not recorded"

mkdir "$WORK/here"
set +e
(cd "$WORK/here" && "$TSUZURI" --headless --record --mute "$WORK/game") >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 2
expect_err "--record needs a folder, not the option '--mute'"
[ -z "$(ls -A "$WORK/here")" ] || fail "made $(ls -A "$WORK/here")"

ln -s "$WORK/nowhere" "$WORK/link"
run --headless --record "$WORK/link" "$WORK/game"
expect_rc 2
expect_err "$WORK/link: it is a dangling link"
[ ! -e "$WORK/nowhere" ] || fail "the link's target was made"

run --headless --input "$WORK/here" "$WORK/game"
expect_rc 2
expect_err "$WORK/here is a folder, not an input script"

tab=$(printf '\t')
make_game "$WORK/tabbed" "[GameState]" "DefaultScriptFileName=a${tab}b.txt"
printf 'Hello\r\n' >"$WORK/tabbed/script/a${tab}b.txt"
run --headless --frames 5 --record "$WORK/tabbed-run" "$WORK/tabbed"
expect_rc 0
python3 - "$WORK/tabbed-run/index.tsv" <<'PY' || fail "the tab broke index.tsv's columns"
import sys

rows = [line.split("\t") for line in open(sys.argv[1], encoding="utf-8").read().splitlines()]
assert rows[1:] and all(len(row) == 5 and row[3] == "a\\tb.txt" for row in rows[1:]), rows
PY
echo "record folder: all checks passed"
