#!/bin/sh
# The script checker from the command line: the demo checks clean; a broken game is reported
# in GCC's format with exit code 1, and as JSON with the summary apart.
set -eu
. "$(dirname "$0")/lib.sh"
DEMO="$(cd "$(dirname "$0")/../../demo" && pwd)"

run --check "$DEMO"
expect_rc 0
[ "$(cat "$WORK/out")" = "0 errors, 0 warnings, 0 notes" ] ||
    fail "the demo does not check clean: $(cat "$WORK/out")"

game="$WORK/game"
make_game "$game" "[GameState]" "DefaultScriptFileName=start.txt"
printf '%s\r\n' 'Hello' '\nowhere' 'Flash' 'rian.wav' >"$game/script/start.txt"
cp "$DEMO/cg/playwindow.bmp" "$game/cg/playwindow.bmp"
cp "$DEMO/wave/rain.wav" "$game/wave/rain.wav"

# Run from the game's parent folder, the files are named from there (as editors open them).
cd "$WORK"
run --check game
cd - >/dev/null
expect_rc 1
cat >"$WORK/expected" <<'END'
game/script/start.txt:2:1: error: no label 'nowhere' in this script: the jump goes on with the next line [missing-label]
game/script/start.txt:3:1: warning: 'Flash' is shown as a page of text; did you mean 'flash'? [unknown-keyword]
game/script/start.txt:4:1: error: 'rian.wav' is shown as a page of text: no such file in wave/ (did you mean 'rain.wav'?) [unknown-file]
2 errors, 1 warning, 0 notes
END
diff -u "$WORK/expected" "$WORK/out" >"$WORK/diff" || fail "unexpected report: $(cat "$WORK/diff")"
# Every finding line is one that CI systems' GCC problem matchers take.
python3 - "$WORK/out" <<'END' || fail "a finding line is not in GCC's form"
import re, sys
lines = open(sys.argv[1]).read().splitlines()[:-1]
assert all(re.match(r"^(.*):(\d+):(\d+):\s+(warning|error|note):\s+(.*)$", l) for l in lines), lines
END

# --ignore leaves findings out; --werror fails on a warning alone; a game's escape sequence
# reaches the terminal only as text.
run --check --ignore missing-label,unknown-file "$game"
expect_rc 0
grep -qx '0 errors, 1 warning, 0 notes' "$WORK/out" || fail "--ignore: $(cat "$WORK/out")"
run --check --ignore missing-label,unknown-file --werror "$game"
expect_rc 1
printf '\\nowh\033[2Jere\r\n' >"$game/script/start.txt"
run --check "$game"
grep -qF "no label 'nowh\x1B[2Jere'" "$WORK/out" ||
    fail "the escape sequence was not escaped: $(cat -v "$WORK/out")"

printf '%s\r\n' 'Hello' '\nowhere' 'Flash' 'rian.wav' >"$game/script/start.txt"
run --check --json "$game"
expect_rc 1
python3 - "$WORK/out" "$game" <<'END' || fail "bad JSON: $(cat "$WORK/out")"
import json, sys
findings = json.load(open(sys.argv[1]))
game = sys.argv[2]
assert [(f["file"], f["line"], f["column"], f["severity"], f["code"]) for f in findings] == [
    (f"{game}/script/start.txt", 2, 1, "error", "missing-label"),
    (f"{game}/script/start.txt", 3, 1, "warning", "unknown-keyword"),
    (f"{game}/script/start.txt", 4, 1, "error", "unknown-file")], findings
assert all(f["message"] for f in findings)
END
expect_err "2 errors, 1 warning, 0 notes"
cp "$WORK/out" "$WORK/json"
run --check --format json "$game"
cmp -s "$WORK/out" "$WORK/json" || fail "--format json differs from --json"

run --json "$game"
expect_rc 2
echo "check: all checks passed"
