#!/bin/bash
# Records a short sequence on the real program with the numeric keypad and
# mouse clicks, names and saves it, checks the bytes of the saved file, then
# lists the scripts, loads the recording and plays it, and reads the keys
# back from the sound output.
#
# Usage: test_record_save_load.sh PELMORA SCRATCH_DIR
# Runs itself again inside xvfb-run; sound goes to SDL's disk driver.
set -euo pipefail

pelmora=$(realpath "$1")
scratch=$2

if [ "${3:-}" != "--inside" ]; then
    rm -rf "${scratch:?}"
    mkdir -p "$scratch"
    exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$pelmora" "$scratch" --inside
fi

work=$scratch/work
audio=$scratch/audio.raw
mkdir -p "$work/script"
# Listed before the recording: a script copied from another system.
printf 'dial 47\r\n' >"$work/script/Alpha.DSQ"

fail() {
    echo "FAIL: $*" >&2
    shot failure
    exit 1
}

shot() {
    import -window root "$scratch/$1.png" 2>/dev/null || true
}

pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

cd "$work"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio "$pelmora" >"$scratch/pelmora.log" 2>&1 &
pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1) || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "panel at $X,$Y, $WIDTH x $HEIGHT"

# Clicks the control whose layout rectangle is x y w h (dialog units, two
# pixels each).
click() {
    xdotool mousemove $((X + 2 * $1 + $3)) $((Y + 2 * $2 + $4)) click 1
    sleep 0.3
}
keys() {
    xdotool key --delay 120 "$@"
    sleep 0.3
}
REC="61 107 23 15"
STOP="34 126 23 15"
PLAY="7 107 50 15"
DIAL3="61 145 23 15"
DIALS="7 202 23 15"

# The opening sequence flashes the keys, then waits for the mouse to move
# over the panel.
for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((X + 40 + i % 2 * 20)) $((Y + 300))
    sleep 0.4
done
xdotool windowfocus --sync "$window"
shot 1-ready

# Record: keypad 1 and 2, the button 3, a pause of more than three seconds,
# keypad 5, the button *, keypad divide for #.
click $REC
keys KP_1 KP_2
click $DIAL3
sleep 3.4
keys KP_5
click $DIALS
keys KP_Divide
shot 2-recorded
click $STOP
shot 3-naming

# The name: '.' is refused, so "bank.1" becomes "bank1"; keypad Enter saves.
keys b a n k period 1 KP_Enter
for _ in $(seq 50); do
    [ -f script/bank1.dsq ] && break
    sleep 0.2
done
shot 4-saved
[ -f script/bank1.dsq ] || fail "script/bank1.dsq was not saved"
ls script

# Pauses of 3.4 s read as "wait 3"; a very slow machine may see 4.
matched=
for wait in 3 4; do
    printf 'dial 123\r\r\nwait %d\r\r\ndial 5*#\r\r\n' "$wait" >"$scratch/expected.dsq"
    if cmp -s "$scratch/expected.dsq" script/bank1.dsq; then
        matched=$wait
    fi
done
if [ -z "$matched" ]; then
    od -c script/bank1.dsq >&2
    fail "unexpected bytes in script/bank1.dsq"
fi
echo "saved: dial 123 / wait $matched / dial 5*#"

# List the scripts with the * button: Alpha.DSQ comes first and is selected;
# Down moves to bank1.dsq and Enter loads it.
click $DIALS
shot 5-list
keys Down Return
sleep 1
shot 6-loaded

# Play the loaded script and read its keys from the sound output: only what
# sounds after this point counts.
offset=$(($(stat -c %s "$audio") / 4 * 4))
click $PLAY
sleep $((matched + 4))
shot 7-played

# Escape closes the panel and ends the program, which flushes the sound file.
xdotool windowfocus --sync "$window" || true
keys Escape
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end on Escape"
wait "$pid" || fail "the program ended with status $?"
pid=

decoded=$(tail -c +$((offset + 1)) "$audio" |
    sox -t raw -r 48000 -e signed-integer -b 16 -c 2 - -t raw -r 22050 -c 1 - |
    multimon-ng -q -c -a DTMF -t raw - 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n')
echo "played: $decoded"
[ "$decoded" = "1235*#" ] || fail "played keys '$decoded', expected '1235*#'"
echo "PASS"
