#!/bin/sh
# The command line and the headless start-up paths of the real program.
set -eu
. "$(dirname "$0")/lib.sh"

run --help
expect_rc 0
grep -q 'Usage: tsuzuri' "$WORK/out" || fail "--help prints no usage"

run --version
expect_rc 0
grep -q '^tsuzuri ' "$WORK/out" || fail "--version prints no version"

run --no-such-option
expect_rc 2
expect_err "unknown option"

run "$WORK/not-there"
expect_rc 2
expect_err "is not a folder"

printf 'pass 1 tap left\npass 2 wiggle\n' >"$WORK/bad-input.txt"
run --headless --input "$WORK/bad-input.txt" "$WORK"
expect_rc 2
expect_err "bad-input.txt:2:"

# No Game.INI and the chooser cancelled: the scenario failure, exit code 0.
mkdir -p "$WORK/empty"
printf 'pass 1 choose cancel\n' >"$WORK/cancel.txt"
run --headless --input "$WORK/cancel.txt" "$WORK/empty"
expect_rc 0
expect_err "シナリオの読み込みに失敗しました。"

# A chosen file that cannot be loaded: two messages, in order.
printf 'pass 1 choose %s\n' "$WORK/empty/script/none.txt" >"$WORK/choose.txt"
run --headless --input "$WORK/choose.txt" "$WORK/empty"
expect_rc 0
first=$(grep -n 'スクリプトの読み込みに失敗しました' "$WORK/err" | cut -d: -f1)
second=$(grep -n 'シナリオの読み込みに失敗しました' "$WORK/err" | cut -d: -f1)
[ -n "$first" ] && [ -n "$second" ] && [ "$first" -lt "$second" ] ||
    fail "expected the chosen-script failure before the scenario failure: $(cat "$WORK/err")"

# A game that loads runs until Escape and ends with exit code 0, from any current directory.
make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'pass 20 tap escape\n' >"$WORK/escape.txt"
run --headless --input "$WORK/escape.txt" "$WORK/game"
expect_rc 0
[ ! -s "$WORK/err" ] || fail "unexpected messages: $(cat "$WORK/err")"

# A font without Japanese characters (or none at all) is refused at start-up with a message
# that names the package to install.
printf 'pass 5 tap escape\n' >"$WORK/short.txt"
run --headless --input "$WORK/short.txt" --font "$WORK/no-such-font.ttf" "$WORK/game"
expect_rc 0
expect_err "fonts-ipafont-gothic"
TSUZURI_FONT="$WORK/game/Game.INI" run --headless --input "$WORK/short.txt" "$WORK/game"
expect_rc 0
expect_err "cannot be read or has no Japanese characters"

# Relative paths on the command line name files from where the player was started, not from
# inside the game folder it moves into.
mkdir -p "$WORK/here"
font=$(fc-match -f '%{file}' ':lang=ja' 2>/dev/null || true)
[ -n "$font" ] && [ -f "$font" ] && cp "$font" "$WORK/here/japanese.font"
set +e
(cd "$WORK/here" && "$TSUZURI" --headless --input "$WORK/short.txt" --record rec \
    ${font:+--font japanese.font} "$WORK/game") >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 0
[ ! -s "$WORK/err" ] || fail "unexpected messages: $(cat "$WORK/err")"
[ -s "$WORK/here/rec/index.tsv" ] || fail "the recording is not where the player was started"
[ ! -e "$WORK/game/rec" ] || fail "the recording went into the game folder"

# A folder that holds a recording already is refused before the player starts, and so is one
# that cannot be made; nothing of the earlier recording is touched.
before=$(cat "$WORK/here/rec/index.tsv")
run --headless --record "$WORK/here/rec" "$WORK/game"
expect_rc 2
expect_err "$WORK/here/rec already holds a recording"
[ "$(cat "$WORK/here/rec/index.tsv")" = "$before" ] || fail "the earlier recording was changed"
: >"$WORK/in-the-way"
run --headless --record "$WORK/in-the-way/rec" "$WORK/game"
expect_rc 2
expect_err "cannot make the recording folder $WORK/in-the-way/rec"

# Without any display the real window cannot open: say so and end like any window failure.
set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$TSUZURI" "$WORK/game" >"$WORK/out" 2>"$WORK/err"
rc=$?
set -e
expect_rc 0
expect_err "no display found"
expect_err "ウインドウの作成に失敗しました"
echo "command line: all checks passed"
