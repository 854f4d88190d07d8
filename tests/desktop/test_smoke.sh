#!/bin/bash
# The real program starts, shows the panel at its size with its face, runs
# the opening sequence until the mouse moves over it, ends with status 0 on
# Escape, and handles a click made during the key flashes after the sequence.
#
# Usage: test_smoke.sh PELMORA SCRATCH-DIR
. "$(dirname "$0")/desktop_lib.sh"

# pixel_is SHOT X Y R G B: the pixel at panel coordinates is within 12 steps
# of the colour.
pixel_is() {
    local c
    for c in r:$4 g:$5 b:$6; do
        local v
        v=$(convert "$scratch/$1.png" -format "%[fx:int(255*p{$((X + $2)),$((Y + $3))}.${c%:*}+.5)]" info:)
        [ $((v - ${c#*:})) -ge -12 ] && [ $((v - ${c#*:})) -le 12 ] || return 1
    done
}
face_is_shown() {
    shot face &&
        pixel_is face 6 224 85 95 85 &&     # the dark grey handset
        pixel_is face 165 17 211 27 21 &&   # the red power button
        pixel_is face 12 250 212 255 255 && # a light cyan keypad cell
        pixel_is face 20 300 255 159 0 &&   # the orange face of key 1
        pixel_is face 20 100 42 191 255     # the light blue screen
}
status_shows_dots() {
    shot waiting && local ink && ink=$(status_ink waiting) && [ "$ink" -gt 0 ] && [ "$ink" -lt 40 ]
}

# The panel appears in the middle of the screen: keep the pointer off it.
xdotool mousemove 1 1
start_program SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw"
[ "$WIDTH x $HEIGHT" = "182 x 448" ] || fail "the panel is $WIDTH x $HEIGHT, not 182 x 448"
[ "$(xdotool getwindowname "$wid")" = Pelmora ] || fail "the window title is not Pelmora"
poll 60 face_is_shown || fail "the face is not painted as expected (see $scratch/face.png)"
poll 60 status_shows_dots || fail "the opening sequence did not start (see $scratch/waiting.png)"
# Without a mouse movement the sequence must not end.
sleep 2
shot still
[ "$(status_ink still)" -lt 40 ] || fail "the opening sequence ended without a mouse movement"
end_intro
face_is_shown || fail "the face is not shown after the opening sequence"
end_with_escape

# A click on '*' during the key flashes waits for the sequence and then
# begins loading: the same look as a click on '*' after the sequence.
mkdir -p queued/script
printf 'dial 1\r\n' >queued/script/aaa.dsq
cd queued || exit 1
xdotool mousemove 1 1
start_program SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio2.raw"
poll 60 status_shows_dots || fail "the opening sequence did not start the second time"
click_at 37 419
sleep 2
shot queued
click_at 145 305 # the key 3 cancels loading
click_at 37 419
sleep 1
shot plain
# The display, the lists, the info text and the status line.
differ=$(compare -metric AE -crop "150x140+$((X + 16))+$((Y + 50))" "$scratch/queued.png" "$scratch/plain.png" null: 2>&1)
[ "$differ" = 0 ] || fail "a click during the flashes did not end in loading ($differ pixels differ, see $scratch/queued.png)"
end_with_escape
echo "smoke test passed"
