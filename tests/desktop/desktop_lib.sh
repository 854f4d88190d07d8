# shellcheck shell=bash
# Helpers of the desktop tests, sourced with the test's arguments
# (PELMORA SCRATCH-DIR). The test runs again on a virtual X screen of its own
# in a fresh scratch directory, unless it set no_display=1.
set -u
here=$(dirname "$(readlink -f "$0")")
exe=$(readlink -f "$1")
scratch=$(realpath -m "$2")
if [ -z "${PELMORA_IN_XVFB:-}" ]; then
    rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
    [ "${no_display:-0}" = 1 ] || PELMORA_IN_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$here/${0##*/}" "$exe" "$scratch"
fi
cd "$scratch" || exit 1

pid=
trap 'kill $(jobs -p) 2>/dev/null; wait' EXIT

fail() {
    echo "FAIL: $*" >&2
    [ "${no_display:-0}" = 1 ] || shot failure
    tail -n 20 "$scratch"/*.log >&2
    exit 1
}

# Runs a command every 0.2 s until it succeeds or the seconds run out.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

shot() {
    import -window root "$scratch/$1.png"
}

# start_program [VAR=VALUE...]: runs the program with this environment and
# sets pid, wid and the panel's X Y WIDTH HEIGHT.
start_program() {
    env "$@" "$exe" >>"$scratch/pelmora.log" 2>&1 &
    pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    [ -n "$wid" ] || fail "no window of the program appeared"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
}

# A click at a point of the panel, in pixels from its top left corner.
click_at() {
    xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
    sleep 0.3
}

# The number of pixels of the status line (18, 174, 146 x 16) of screenshot
# $1 that are not its light blue background: a few for "...", hundreds for a
# line of text.
status_ink() {
    convert "$scratch/$1.png" -crop "146x16+$((X + 18))+$((Y + 174))" +repage \
        -fuzz 12% -transparent '#2ABFFF' -alpha extract -format '%[fx:int(mean*w*h+.5)]' info:
}

# The opening sequence flashes the keys, then waits for the mouse: move it
# over the panel, each time to a new place so that X makes a motion event,
# until the status line shows a text.
moves=0
intro_ended() {
    moves=$((moves + 1))
    xdotool mousemove $((X + 80 + moves % 20)) $((Y + 300))
    sleep 0.2
    shot intro && [ "$(status_ink intro)" -gt 100 ]
}
end_intro() {
    poll 60 intro_ended || fail "the opening sequence did not end on a mouse movement (see $scratch/intro.png)"
}

# Escape ends the program with status 0.
end_with_escape() {
    xdotool windowfocus --sync "$wid"
    xdotool key Escape
    poll 30 eval "! kill -0 $pid 2>/dev/null" || fail "the program did not end on Escape"
    wait "$pid"
    local status=$?
    pid=
    [ "$status" = 0 ] || fail "the program ended with status $status"
}

# The keys two independent DTMF decoders read from a sound given as sox's
# input (options and file), as "MULTIMON-NG DTMF2NUM".
decoded_keys() {
    sox "$@" -t raw -r 22050 -e signed-integer -b 16 -c 1 "$scratch/22k.raw" || fail "sox cannot read $*"
    sox "$@" -r 8000 -c 1 -b 16 "$scratch/8k.wav"
    echo "$(multimon-ng -q -c -a DTMF -t raw "$scratch/22k.raw" 2>/dev/null | sed -n 's/^DTMF: \(.\)$/\1/p' | tr -d '\n')" \
        "$(dtmf2num -o "$scratch/8k.wav" 2>&1 | sed -n 's/^- DTMF numbers: *\(.*\)$/\1/p' | tr -d ' \r\n')"
}
