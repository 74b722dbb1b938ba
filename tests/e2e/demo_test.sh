#!/bin/sh
# The bundled demo game played unattended from start to end: every kind of line is reached,
# no picture or sound fails, each new frame and the sound are recorded, and the program
# closes by itself at the end of the story with exit code 0.
set -eu
. "$(dirname "$0")/lib.sh"
DEMO="$(cd "$(dirname "$0")/../../demo" && pwd)"

run --headless --autoplay=120 --record "$WORK/run" --trace-lines --seconds 60 "$DEMO"
expect_rc 0
if grep -q '\[' "$WORK/err"; then
    fail "a message box was shown: $(grep '\[' "$WORK/err")"
fi
for kind in Comment Image SE LoopSE StopLoopSE BGM StopBGM Wao LoopWao StopLoopWao Text Choices \
    Jump Label Flash NextScript; do
    grep -q "^tsuzuri: line [0-9]* $kind:" "$WORK/err" || fail "no $kind line was reached"
done
# The story ends on the last page of the second script, well before the time limit.
last=$(grep '^tsuzuri: line' "$WORK/err" | tail -n 1)
case "$last" in
*"Esc キーでいつでも終了できます。"*) ;;
*) fail "the story did not reach its last page: $last" ;;
esac
grep -q 'start.txt' "$WORK/run/index.tsv" || fail "no frame of the first script"
grep -q 'part2.txt' "$WORK/run/index.tsv" || fail "no frame of the second script"
frames=$(ls "$WORK/run" | grep -c '^frame-')
[ "$frames" -ge 20 ] || fail "only $frames frames recorded"
[ -s "$WORK/run/audio.wav" ] || fail "no sound recorded"
if command -v python3 >/dev/null 2>&1; then
    python3 "$(dirname "$0")/check_demo_run.py" "$WORK/run" "$WORK/err" "$DEMO" ||
        fail "the recorded run is not what the story shows"
fi
echo "demo: all checks passed ($frames frames)"
