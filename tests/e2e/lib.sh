# Helpers shared by the end-to-end test scripts. Source it; $1 of the script is the player.

TSUZURI=$1
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tsuzuri-e2e-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# Windowed runs remember where the story stopped, keep saves and settings: in the test's own
# folders, never the user's.
XDG_STATE_HOME="$WORK/state-home"
XDG_DATA_HOME="$WORK/data-home"
XDG_CONFIG_HOME="$WORK/config-home"
export XDG_STATE_HOME XDG_DATA_HOME XDG_CONFIG_HOME

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

# Skips the test (exit code 77) unless every named program is installed.
require_tools() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed (tools/install-deps.sh installs it)"
            exit 77
        fi
    done
}

# Waits up to 10 s for the player started in the background as $player_pid to end by itself,
# failing with the message $1 if it does not; leaves its exit code in $rc.
wait_for_player_end() {
    for _ in $(seq 200); do
        kill -0 "$player_pid" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$player_pid" 2>/dev/null; then
        fail "$1"
    fi
    set +e
    wait "$player_pid"
    rc=$?
    set -e
    player_pid=""
}

# Starts a private X server on a free display number (kept as it is when its last client
# leaves, so the pointer stays where a test put it) and points DISPLAY at it; the server
# and the player (if $player_pid is set) are stopped when the script ends.
start_xvfb() {
    exec 3>"$WORK/display"
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true; [ -n "${player_pid:-}" ] && kill "$player_pid" 2>/dev/null; rm -rf "$WORK"' EXIT
    for _ in $(seq 50); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    DISPLAY=":$(head -n1 "$WORK/display")"
    export DISPLAY
    unset WAYLAND_DISPLAY SDL_VIDEODRIVER 2>/dev/null || true
}

# Waits for the player's window under the X server and leaves its id in $window.
find_window() {
    window=""
    # Up to 30 s: a sanitizer build on a busy machine takes seconds to open its window.
    for _ in $(seq 600); do
        window=$(xdotool search --classname tsuzuri 2>/dev/null | head -n1) || true
        [ -n "$window" ] && return 0
        sleep 0.05
    done
    # Say what was there instead, so a run that fails by chance can be told apart.
    if [ -n "${player_pid:-}" ] && kill -0 "$player_pid" 2>/dev/null; then
        state="the player still runs"
    else
        state="the player has ended"
    fi
    if xprop -root >/dev/null 2>&1; then
        state="$state; the X server answers"
    else
        state="$state; the X server does not answer ($(tail -n3 "$WORK/xvfb.log"))"
    fi
    fail "no window appeared ($state): $(cat "$WORK/err")"
}

# Plays the game $2 headless under the input script $1 with --trace-lines and any further
# options; the story must end the program by itself with exit code 0. Leaves "INDEX KIND" of
# each line visited in $WORK/visited.
run_story() {
    story_input=$1
    story_game=$2
    shift 2
    set +e
    timeout 60 "$TSUZURI" --headless --input "$story_input" --trace-lines "$@" "$story_game" \
        >"$WORK/out" 2>"$WORK/err"
    rc=$?
    set -e
    [ "$rc" -ne 124 ] || fail "the story did not end the program: $(cat "$WORK/err")"
    expect_rc 0
    sed -n 's/^tsuzuri: line \([0-9]*\) \([A-Za-z]*\):.*/\1 \2/p' "$WORK/err" >"$WORK/visited"
}

# The texts of the pages the last traced run showed, in order, each followed by a space.
pages() {
    sed -n 's/^tsuzuri: line [0-9]* Text: \(.*\)/\1/p' "$WORK/err" | tr '\n' ' '
}

# For a player started in the background with --trace-lines and --record "$WORK/run", its
# stderr in $WORK/err: waits (up to 10 s) until the story has arrived at line index $1.
wait_for_line() {
    for _ in $(seq 200); do
        grep -q "^tsuzuri: line $1 " "$WORK/err" && return 0
        sleep 0.05
    done
    fail "the story never reached line $1: $(grep '^tsuzuri: line' "$WORK/err" | tail -n 3)"
}

# How many frames that player has recorded so far.
frames() { grep -c '^frame-' "$WORK/run/index.tsv" 2>/dev/null || echo 0; }

# Starts a private PulseAudio server (its own runtime folder, socket and home) whose only sink
# is a null sink named "capture" at 48000 Hz, and points PULSE_SERVER at it. Its monitor
# ("capture.monitor") is what the sink plays. Call it after start_xvfb: the server, the X
# server and any player, recorder or load started as $player_pid, $recorder_pid and $load_pid
# are stopped when the script ends.
start_pulse() {
    mkdir -p "$WORK/pulse/run" "$WORK/pulse/home"
    chmod 700 "$WORK/pulse/run"
    XDG_RUNTIME_DIR="$WORK/pulse/run" HOME="$WORK/pulse/home" pulseaudio -n --daemonize=no \
        --exit-idle-time=-1 --log-target=stderr \
        --load="module-native-protocol-unix socket=$WORK/pulse/native auth-anonymous=1" \
        --load="module-null-sink sink_name=capture rate=48000" >"$WORK/pulse.log" 2>&1 &
    pulse_pid=$!
    # Everything is waited for before the folder goes, so that nothing written while ending
    # is left behind (or makes the removal fail).
    trap 'for pid in ${xvfb_pid:-} ${pulse_pid:-} ${player_pid:-} ${recorder_pid:-} ${load_pid:-}; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$WORK" || true' EXIT
    PULSE_SERVER="unix:$WORK/pulse/native"
    export PULSE_SERVER
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl info >/dev/null 2>&1 || fail "PulseAudio did not start: $(cat "$WORK/pulse.log")"
}

# Records the private server's monitor into $1 (48000 Hz, 2 channels, 16 bits) in the
# background until stop_monitor.
start_monitor() {
    parecord --device=capture.monitor --rate=48000 --channels=2 --format=s16le \
        --file-format=wav "$1" &
    recorder_pid=$!
}

stop_monitor() {
    kill -INT "$recorder_pid" 2>/dev/null || true
    wait "$recorder_pid" 2>/dev/null || true
    recorder_pid=""
}
