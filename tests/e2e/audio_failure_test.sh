#!/bin/sh
# The sound output fails while the demo plays (SDL's file-writing driver feeds a pipe whose
# reader goes away after about two seconds, so every later write fails) and when it cannot be
# opened at all: either way the story plays to its end as on a machine without sound, sounds
# and sequences keep their timing, and the program ends by itself with exit code 0. Headless
# runs open no sound device, so these run in a real window.
set -eu
. "$(dirname "$0")/lib.sh"
DEMO="$(cd "$(dirname "$0")/../../demo" && pwd)"
require_tools mkfifo head Xvfb
start_xvfb

check_story_ended() {
    expect_rc 0
    last=$(grep '^tsuzuri: line' "$WORK/err" | tail -n 1)
    case "$last" in
    *"Esc キーでいつでも終了できます。"*) ;;
    *) fail "$1: the story did not reach its last page: $last" ;;
    esac
}

mkfifo "$WORK/pipe"
head -c 400000 "$WORK/pipe" >/dev/null &
reader_pid=$!
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/pipe" \
    run --autoplay=120 --record "$WORK/run" --trace-lines --seconds 60 "$DEMO"
kill "$reader_pid" 2>/dev/null || true
expect_err "Writing to file [$WORK/pipe]"
check_story_ended "output failing mid-run"
if command -v python3 >/dev/null 2>&1; then
    python3 "$(dirname "$0")/check_demo_run.py" "$WORK/run" "$WORK/err" "$DEMO" ||
        fail "the run with a failing output is not what the story shows"
fi

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK" \
    run --autoplay=120 --trace-lines --seconds 60 "$DEMO"
check_story_ended "output that cannot be opened"
expect_err "disk: Couldn't open $WORK"
echo "audio failure: all checks passed"
