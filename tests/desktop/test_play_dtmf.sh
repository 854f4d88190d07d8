#!/bin/bash
# Plays a script in the real program as a user would: the mouse ends the
# opening sequence, a click on '*' lists the scripts, Down and Enter load the
# second, PLAY plays it, and at its pause line the numeric keypad's '*'
# sounds and PAUSE goes on. Two independent DTMF decoders must read exactly
# the keys from SDL's disk driver, and on the audio timeline every wait must
# last its seconds and every key be followed by 70 ms of silence.
#
# Usage: test_play_dtmf.sh PELMORA SCRATCH_DIR
. "$(dirname "$0")/desktop_lib.sh"
timeline=$here/play_timeline.py

# Repeated digits, '*', '#', two waits and text to skip, saved with CR LF.
mkdir -p script
printf 'dial 123\r\n' >script/aaa.dsq
printf '%s\r\n' "dial 5550*12#" "wait 2" "Dial (99) 00-1" "wait 3" "  dial 44" "pause" "dial #*77" >script/tones.dsq
# The keys of each dial line; the '*' after "44" is pressed during the pause.
expected_lines="5550*12#|99001|44|*|#*77"
expected=${expected_lines//|/}

start_program SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/out.raw"
end_intro
xdotool windowfocus --sync "$wid"
click_at 37 419 # '*': the list of scripts
sleep 0.2
xdotool key --delay 300 Down Return
sleep 1.5
shot loaded
click_at 64 229 # PLAY
python3 "$timeline" sample out.raw pace.txt &
sampler=$!
# The pause line comes after 15 keys and 5 s of waits: a key pressed before
# it would be lost, one pressed later waits.
sleep 12
xdotool key KP_Multiply
sleep 0.6
click_at 37 267 # PAUSE: go on
sleep 3
kill "$sampler"
end_with_escape

# Only the playback counts: dtmf2num reads an effect clip before it as "2".
tail -c +$(($(python3 "$timeline" start out.raw) + 1)) out.raw >playback.raw
keys=$(decoded_keys -t raw -r 48000 -e signed-integer -b 16 -c 2 playback.raw)
echo "multimon-ng, dtmf2num: $keys"
[ "$keys" = "$expected $expected" ] || fail "the decoders did not read exactly $expected"
python3 "$timeline" check out.raw pace.txt "$expected_lines" 8:2070,13:3070 || fail "wrong keys or silences"
echo "PASS"
