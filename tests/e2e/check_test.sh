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

run --check "$game"
expect_rc 1
cat >"$WORK/expected" <<'END'
script/start.txt:2: error: no label 'nowhere' in this script: the jump goes on with the next line [missing-label]
script/start.txt:3: warning: 'Flash' is shown as a page of text; did you mean 'flash'? [unknown-keyword]
script/start.txt:4: error: 'rian.wav' is shown as a page of text: no such file in wave/ (did you mean 'rain.wav'?) [unknown-file]
2 errors, 1 warnings, 0 notes
END
diff -u "$WORK/expected" "$WORK/out" >"$WORK/diff" || fail "unexpected report: $(cat "$WORK/diff")"

run --check --json "$game"
expect_rc 1
python3 - "$WORK/out" <<'END' || fail "bad JSON: $(cat "$WORK/out")"
import json, sys
findings = json.load(open(sys.argv[1]))
assert [(f["file"], f["line"], f["severity"], f["code"]) for f in findings] == [
    ("script/start.txt", 2, "error", "missing-label"),
    ("script/start.txt", 3, "warning", "unknown-keyword"),
    ("script/start.txt", 4, "error", "unknown-file")], findings
assert all(f["message"] for f in findings)
END
expect_err "2 errors, 1 warnings, 0 notes"

run --json "$game"
expect_rc 2
echo "check: all checks passed"
