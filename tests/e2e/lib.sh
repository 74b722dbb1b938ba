# Helpers shared by the end-to-end test scripts. Source it; $1 of the script is the player.

TSUZURI=$1
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tsuzuri-e2e-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs the player; leaves the exit code in $rc, stdout in $WORK/out, stderr in $WORK/err.
run() {
    set +e
    "$TSUZURI" "$@" >"$WORK/out" 2>"$WORK/err"
    rc=$?
    set -e
}

expect_rc() {
    [ "$rc" -eq "$1" ] || fail "expected exit code $1, got $rc (stderr: $(cat "$WORK/err"))"
}

expect_err() {
    grep -qF -- "$1" "$WORK/err" || fail "stderr lacks '$1': $(cat "$WORK/err")"
}

# Makes a game folder with one script; the remaining arguments are lines of Game.INI.
make_game() {
    folder=$1
    shift
    mkdir -p "$folder/script" "$folder/cg" "$folder/wave"
    printf 'Hello\r\n' >"$folder/script/start.txt"
    : >"$folder/Game.INI"
    for line in "$@"; do
        printf '%s\r\n' "$line" >>"$folder/Game.INI"
    done
}
