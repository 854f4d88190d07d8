#!/bin/bash
# Plays a script in the real program the way a user would and listens to
# what came out: the mouse ends the opening sequence, a click on the '*' key
# opens the list of scripts (the numeric keypad's '*' only refuses while
# idle), Down selects the script, Enter loads it and a click on PLAY plays
# it. At the script's pause line the numeric keypad's '*' sounds its tone and
# PAUSE goes on. SDL's disk driver records the output; two independent DTMF
# decoders must read exactly the keys, repeated digits included, and on the
# audio timeline every wait must last its seconds and every key be followed
# by 70 ms of silence.
#
# Screenshots of the panel after loading and at the end, the program's
# output and the decoders' output stay in SCRATCH_DIR.
#
# Usage: test_play_dtmf.sh PELMORA SCRATCH_DIR
set -euo pipefail
self=$(readlink -f "$0")
timeline=$(dirname "$self")/play_timeline.py

if [ "${1:-}" = "--inside-x" ]; then
    shift
    inside_x=1
else
    inside_x=0
fi
if [ $# -ne 2 ] || [ -z "$2" ]; then
    echo "usage: $0 PELMORA SCRATCH_DIR" >&2
    exit 2
fi
pelmora=$(readlink -f "$1")
scratch=$2

# The script: repeated digits, '*', '#' and two waits, with text the player
# must skip. Saved as a text file from the other platform (CR LF).
script_lines=(
    "dial 5550*12#"
    "wait 2"
    "Dial (99) 00-1"
    "wait 3"
    "  dial 44"
    "pause"
    "dial #*77"
)
# The keys of each dial line; the '*' after "44" is dialled by hand during
# the pause.
expected_lines="5550*12#|99001|44|*|#*77"
expected_keys=${expected_lines//|/}
# Number of keys before each wait, and the wait's seconds.
wait_after_keys=(8 13)
wait_seconds=(2 3)

# Milliseconds of silence after every key a script sends.
key_gap_ms=70
tolerance_ms=30

# A click at a point of the panel, in pixels from its top left corner.
click_at() {
    xdotool mousemove --sync $((X + $1)) $((Y + $2))
    xdotool click 1
}

screenshot() {
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" "$scratch/$1.png" || true
}

sampler=""

run_program() {
    "$pelmora" >"$scratch/pelmora.log" 2>&1 &
    local pid=$!
    # shellcheck disable=SC2064
    trap "kill $pid 2>/dev/null || true; [ -z \"\$sampler\" ] || kill \$sampler 2>/dev/null || true" EXIT

    local wid
    wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    echo "window $wid at $X,$Y size ${WIDTH}x$HEIGHT"

    # The opening sequence flashes the keys, then waits for the mouse to move
    # over the panel. Moves that arrive before the wait are lost, so keep
    # moving for a while.
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --sync $((X + 30 + step * 5)) $((Y + 300))
        sleep 0.5
    done

    xdotool windowfocus --sync "$wid"
    click_at 37 419 # LOAD *: the list of scripts, its first entry selected
    sleep 0.5
    xdotool key Down # the second entry: our script
    sleep 0.3
    xdotool key Return # load it
    sleep 1.5
    screenshot loaded
    click_at 64 229 # PLAY

    # The pace of the device: the growth of its file against the clock,
    # while the script plays.
    python3 "$timeline" sample "$SDL_DISKAUDIOFILE" "$scratch/pace.txt" &
    sampler=$!

    # The pause line comes after 15 keys (about 175 ms each) and 5 s of
    # waits. A key pressed before it would be lost, one pressed later waits.
    sleep 12
    xdotool key KP_Multiply # sounds '*' while paused
    sleep 0.6
    click_at 37 267 # PAUSE: go on
    sleep 3
    kill "$sampler"
    sampler=""
    screenshot end

    xdotool windowfocus --sync "$wid"
    xdotool key Escape
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FAIL: the program did not end on Escape"
        exit 1
    fi
    wait "$pid" || true
    trap - EXIT
}

if [ "$inside_x" = 1 ]; then
    run_program
    exit 0
fi

rm -rf "$scratch"
mkdir -p "$scratch/work/script"
printf 'dial 123\r\n' >"$scratch/work/script/aaa.dsq"
printf '%s\r\n' "${script_lines[@]}" >"$scratch/work/script/tones.dsq"

cd "$scratch/work"
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE=$scratch/out.raw
export SDL_NO_SIGNAL_HANDLERS=1
xvfb-run -a -s '-screen 0 1024x768x24' bash "$self" --inside-x "$pelmora" "$scratch"

# The device writes 48000 Hz, 16-bit, stereo. Only the playback is decoded:
# the effect clips before it (the opening blips, the chime, the confirming
# buzz) are no keys, but dtmf2num reads one of them as a "2".
raw_format=(-t raw -r 48000 -e signed-integer -b 16 -c 2)
start=$(python3 "$timeline" trim "$scratch/out.raw")
echo "the playback starts at ${start} s of the recording"

# multimon-ng wants 22050 Hz; dtmf2num reads 8000 Hz (it also read every key
# at 11025, 16000, 22050, 44100 and 48000 Hz when measured).
sox "${raw_format[@]}" "$scratch/out.raw" -t raw -r 22050 -e signed-integer -b 16 -c 1 "$scratch/out22k.raw" \
    trim "$start"
multimon-ng -q -c -a DTMF -t raw "$scratch/out22k.raw" >"$scratch/multimon.txt" 2>/dev/null || true
multimon_keys=$(sed -n 's/^DTMF: \(.\)$/\1/p' "$scratch/multimon.txt" | tr -d '\n')

sox "${raw_format[@]}" "$scratch/out.raw" -r 8000 -c 1 -b 16 "$scratch/out8k.wav" trim "$start"
dtmf2num -o "$scratch/out8k.wav" >"$scratch/dtmf2num.txt" 2>&1 || true
dtmf2num_keys=$(sed -n 's/^- DTMF numbers: *\(.*\)$/\1/p' "$scratch/dtmf2num.txt" | tr -d ' \r\n')

status=0
echo "expected:    $expected_keys"
echo "multimon-ng: $multimon_keys"
echo "dtmf2num:    $dtmf2num_keys"
if [ "$multimon_keys" != "$expected_keys" ] || [ "$dtmf2num_keys" != "$expected_keys" ]; then
    echo "FAIL: the decoders did not read exactly the keys of the script"
    status=1
fi

gaps=""
for i in "${!wait_seconds[@]}"; do
    gaps="$gaps${gaps:+,}${wait_after_keys[$i]}:$((wait_seconds[i] * 1000 + key_gap_ms))"
done
TOLERANCE_MS=$tolerance_ms python3 "$timeline" check "$scratch/out.raw" "$scratch/pace.txt" "$expected_lines" "$gaps" \
    || status=1
[ "$status" = 0 ] && echo "PASS"
exit "$status"
