#!/bin/sh
# The script checker from the command line: the demo checks clean; a broken game is reported
# in GCC's format with exit code 1, as JSON with the summary apart and as a SARIF log that the
# SARIF 2.1.0 schema accepts; a folder of games is checked game by game.
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
game/script/start.txt:3:1: error: 'Flash' is shown as a page of text; did you mean 'flash'? (written in other case, it is not taken) [unknown-keyword]
game/script/start.txt:4:1: error: 'rian.wav' is shown as a page of text: no such file in wave/ (did you mean 'rain.wav'?) [unknown-file]
3 errors, 0 warnings, 0 notes
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
printf '%s\r\n' 'Hello' '\nowhere' 'Falsh' 'rian.wav' >"$game/script/start.txt"
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
    (f"{game}/script/start.txt", 3, 1, "error", "unknown-keyword"),
    (f"{game}/script/start.txt", 4, 1, "error", "unknown-file")], findings
assert all(f["message"] for f in findings)
END
expect_err "3 errors, 0 warnings, 0 notes"
cp "$WORK/out" "$WORK/json"
run --check --format json "$game"
cmp -s "$WORK/out" "$WORK/json" || fail "--format json differs from --json"

run --json "$game"
expect_rc 2

# The SARIF log validates against the SARIF 2.1.0 schema and holds the same findings.
run --check --format sarif "$game"
expect_rc 1
SCHEMA="$(cd "$(dirname "$0")/.." && pwd)/data/sarif/sarif-schema-2.1.0.json"
python3 - "$WORK/out" "$SCHEMA" "$game" <<'END' || fail "bad SARIF: $(cat "$WORK/out")"
import json, sys
log = json.load(open(sys.argv[1]))
try:
    import jsonschema
    jsonschema.validate(log, json.load(open(sys.argv[2])))
except ImportError:
    print("SKIP part: python3-jsonschema is not installed, the schema was not applied")
run = log["runs"][0]
rules = [rule["id"] for rule in run["tool"]["driver"]["rules"]]
found = [(r["ruleId"], rules[r["ruleIndex"]], r["level"],
          r["locations"][0]["physicalLocation"]["region"]["startLine"]) for r in run["results"]]
assert found == [("missing-label", "missing-label", "error", 2),
                 ("unknown-keyword", "unknown-keyword", "error", 3),
                 ("unknown-file", "unknown-file", "error", 4)], found
END

# Settings that name no start script say why: UTF-16, or the key in another section.
printf '\377\376[\000G\000]\000' >"$game/Game.INI"
run --check "$game"
expect_rc 1
grep -q "Game.INI:1:1: error: Game.INI is UTF-16" "$WORK/out" || fail "UTF-16: $(cat "$WORK/out")"
printf '[Game]\r\nDefaultScriptFileName=start.txt\r\n' >"$game/Game.INI"
run --check "$game"
grep -q "Game.INI:2:1: error: DefaultScriptFileName is in section \[Game\], not in \[GameState\]" \
    "$WORK/out" || fail "section: $(cat "$WORK/out")"

# A folder of games: each is checked, then a summary per game and in all.
mkdir "$WORK/games"
mv "$game" "$WORK/games/broken"
cp -r "$DEMO" "$WORK/games/demo"
run --check "$WORK/games"
expect_rc 1
tail -n3 "$WORK/out" >"$WORK/summary"
cat >"$WORK/expected" <<END
$WORK/games/broken: 4 errors, 0 warnings, 1 note
$WORK/games/demo: 0 errors, 0 warnings, 0 notes
2 games: 4 errors, 0 warnings, 1 note
END
diff -u "$WORK/expected" "$WORK/summary" >"$WORK/diff" || fail "games: $(cat "$WORK/diff")"
echo "check: all checks passed"
