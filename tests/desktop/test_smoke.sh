#!/bin/bash
# Smoke test of the real program on a virtual X server: it starts, shows the
# panel at its size with its face, runs the opening sequence until the mouse
# moves over it, and ends with exit status 0 on Escape.
#
# Usage: test_smoke.sh PATH-TO-PELMORA SCRATCH-DIR
set -u

exe=$(readlink -f "$1")
scratch=$2

# Run the whole script on its own virtual screen.
if [ -z "${PELMORA_SMOKE_IN_XVFB:-}" ]; then
    rm -rf "$scratch"
    mkdir -p "$scratch"
    PELMORA_SMOKE_IN_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$exe" "$scratch"
fi

cd "$scratch" || exit 1
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- program output:" >&2
    cat "$scratch/pelmora.log" >&2
    exit 1
}

# Polls a command every 0.2 s until it succeeds or the seconds run out.
poll() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

shot() {
    import -window root "$scratch/$1.png"
}

# The colour of one pixel of a screenshot, window coordinates: "R G B".
pixel() {
    convert "$scratch/$1.png" -format "%[fx:int(255*p{$((X + $2)),$((Y + $3))}.r+.5)] %[fx:int(255*p{$((X + $2)),$((Y + $3))}.g+.5)] %[fx:int(255*p{$((X + $2)),$((Y + $3))}.b+.5)]" info:
}

# pixel_is SHOT X Y R G B: within a few steps of the colour.
pixel_is() {
    local r g b
    read -r r g b < <(pixel "$1" "$2" "$3")
    [ $((r - $4)) -ge -12 ] && [ $((r - $4)) -le 12 ] \
        && [ $((g - $5)) -ge -12 ] && [ $((g - $5)) -le 12 ] \
        && [ $((b - $6)) -ge -12 ] && [ $((b - $6)) -le 12 ]
}

# The number of pixels of the status line (18, 174, 146 x 16) that are not
# its light blue background: a few for "...", hundreds for a line of text.
status_ink() {
    convert "$scratch/$1.png" -crop "146x16+$((X + 18))+$((Y + 174))" +repage \
        -fuzz 12% -transparent '#2ABFFF' -alpha extract -format '%[fx:int(mean*w*h+.5)]' info:
}

face_is_shown() {
    shot face &&
        pixel_is face 6 224 85 95 85 &&        # the dark grey handset
        pixel_is face 165 17 211 27 21 &&      # the red power button
        pixel_is face 12 250 212 255 255 &&    # a light cyan keypad cell
        pixel_is face 20 300 255 159 0 &&      # the orange face of key 1
        pixel_is face 20 100 42 191 255        # the light blue screen
}

status_shows_dots() {
    shot waiting && local ink && ink=$(status_ink waiting) && [ "$ink" -gt 0 ] && [ "$ink" -lt 40 ]
}

# Moves the mouse over the panel (each time to a new place, so that X makes
# a motion event) and sees whether the status line shows a text.
sequence_ended_after_move() {
    moves=$((moves + 1))
    xdotool mousemove $((X + 80 + moves % 20)) $((Y + 300))
    sleep 0.2
    shot after && [ "$(status_ink after)" -gt 100 ]
}

# Keep the pointer off the panel, which appears in the middle of the screen.
xdotool mousemove 1 1

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw" "$exe" >"$scratch/pelmora.log" 2>&1 &
pid=$!

wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no window of the program appeared"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 182 ] && [ "$HEIGHT" = 448 ] || fail "the panel is $WIDTH x $HEIGHT, not 182 x 448"
[ "$(xdotool getwindowname "$wid")" = Pelmora ] || fail "the window title is not Pelmora"

poll 60 face_is_shown || fail "the face is not painted as expected (see $scratch/face.png)"
poll 60 status_shows_dots || fail "the opening sequence did not start (see $scratch/waiting.png)"

# The sequence waits for the mouse: without a movement it must not end.
sleep 2
shot still
[ "$(status_ink still)" -lt 40 ] || fail "the opening sequence ended without a mouse movement"

moves=0
poll 60 sequence_ended_after_move || fail "the opening sequence did not end on a mouse movement (see $scratch/after.png)"
face_is_shown || fail "the face is not shown after the opening sequence"

# Escape ends the program with status 0.
end_with_escape() {
    xdotool windowfocus --sync "$wid"
    xdotool key Escape
    if ! poll 60 bash -c "! kill -0 $pid 2>/dev/null"; then
        fail "the program did not end on Escape"
    fi
    wait "$pid"
    local status=$?
    pid=
    [ "$status" = 0 ] || fail "the program ended with status $status"
}
end_with_escape

# Input during the key flashes waits and is handled after the opening
# sequence, in its order: a movement and a click on '*' end with loading
# begun, the same look as a click on '*' after the sequence gives.
mkdir -p "$scratch/queued/script"
printf 'dial 1\r\n' >"$scratch/queued/script/aaa.dsq"
cd "$scratch/queued" || exit 1
xdotool mousemove 1 1
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio2.raw" "$exe" >"$scratch/pelmora.log" 2>&1 &
pid=$!
wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no window of the program appeared the second time"
eval "$(xdotool getwindowgeometry --shell "$wid")"
poll 60 status_shows_dots || fail "the opening sequence did not start the second time"
xdotool mousemove $((X + 37)) $((Y + 419)) click 1 # '*' while the keys flash
sleep 2
shot queued
xdotool mousemove $((X + 145)) $((Y + 305)) click 1 # the key 3 cancels loading
sleep 0.5
xdotool mousemove $((X + 37)) $((Y + 419)) click 1
sleep 1
shot plain
# The display, the lists, the info text and the status line.
for look in queued plain; do
    convert "$scratch/$look.png" -crop "150x140+$((X + 16))+$((Y + 50))" +repage "$scratch/$look-centre.png"
done
differ=$(compare -metric AE "$scratch/queued-centre.png" "$scratch/plain-centre.png" null: 2>&1)
[ "$differ" = 0 ] || fail "a click during the flashes did not end in loading ($differ pixels differ, see $scratch/queued.png)"
end_with_escape
echo "smoke test passed"
