#!/bin/bash
# Records a short sequence on the real program with the numeric keypad and
# mouse clicks, names and saves it, checks the saved bytes, then lists the
# scripts, loads the recording, plays it and reads the keys from the sound.
#
# Usage: test_record_save_load.sh PELMORA SCRATCH_DIR
. "$(dirname "$0")/desktop_lib.sh"

mkdir -p script
# Listed before the recording: a script copied from another system.
printf 'dial 47\r\n' >script/Alpha.DSQ
start_program SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw"
end_intro
xdotool windowfocus --sync "$wid"
keys() {
    xdotool key --delay 120 "$@"
    sleep 0.3
}

# REC, keypad 1 and 2, the button 3, a pause of more than three seconds,
# keypad 5, the button *, keypad divide for #, STOP.
click_at 145 229
keys KP_1 KP_2
click_at 145 305
sleep 3.4
keys KP_5
click_at 37 419
keys KP_Divide
click_at 91 267
# The name: '.' is refused, so "bank.1" becomes "bank1"; keypad Enter saves.
keys b a n k period 1 KP_Enter
poll 10 test -f script/bank1.dsq || fail "script/bank1.dsq was not saved"
# Pauses of 3.4 s read as "wait 3"; a very slow machine may see 4.
for wait in 3 4 none; do
    [ "$wait" != none ] || fail "unexpected bytes in script/bank1.dsq: $(od -c script/bank1.dsq)"
    printf 'dial 123\r\r\nwait %d\r\r\ndial 5*#\r\r\n' "$wait" | cmp -s - script/bank1.dsq && break
done

# '*' lists the scripts with Alpha.DSQ selected; Down and Enter load bank1.
click_at 37 419
keys Down Return
sleep 1
offset=$(($(stat -c %s "$scratch/audio.raw") / 4 * 4))
click_at 64 229 # PLAY
sleep $((wait + 4))
# Escape also flushes the sound file.
end_with_escape
tail -c +$((offset + 1)) "$scratch/audio.raw" >played.raw
keys=$(decoded_keys -t raw -r 48000 -e signed-integer -b 16 -c 2 played.raw)
[ "$keys" = "1235*# 1235*#" ] || fail "the decoders read '$keys' from the playback, expected 1235*# twice"
echo "PASS"
