#!/bin/bash
# The window menu's Move and the drag bar on both window systems. On X11 (a
# bare X server) Move lets the panel follow the mouse until a click. On
# Wayland (weston, nested in the same X server) Move is unavailable: nothing
# tries to grab input, the next click reaches the panel, and the drag bar
# still moves it through the compositor.
#
# Usage: test_window_move.sh PATH-TO-PELMORA SCRATCH-DIR
set -u

exe=$(readlink -f "$1")
scratch=$2

if [ -z "${PELMORA_MOVE_IN_XVFB:-}" ]; then
    rm -rf "$scratch"
    mkdir -p "$scratch"
    PELMORA_MOVE_IN_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$exe" "$scratch"
fi

cd "$scratch" || exit 1
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    tail -n 20 "$scratch"/*.log >&2
    exit 1
}

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

# The top left corner of the red power button on a screenshot ("X Y"), the
# only pixels of its red (the STOP symbol's is another): it tells where the
# panel is on either system.
button_at() {
    convert "$scratch/$1.png" -fill black -fuzz 2% +opaque 'rgb(211,27,21)' -trim -format '%X %Y\n' info: 2>/dev/null | tr -d +
}

# Sets PX PY, the panel's corner on screenshot $1, from the button's place
# on the panel (BX BY, measured on X11).
find_panel() {
    local x y
    read -r x y < <(button_at "$1") && [ "$x" -gt 0 ] && PX=$((x - BX)) && PY=$((y - BY))
}

# The pixels of the status line that are not its background: many once the
# opening sequence has ended.
status_ink() {
    convert "$scratch/$1.png" -crop "146x16+$((PX + 18))+$((PY + 174))" +repage \
        -fuzz 12% -transparent '#2ABFFF' -alpha extract -format '%[fx:int(mean*w*h+.5)]' info:
}

moves=0
intro_ended() {
    moves=$((moves + 1))
    xdotool mousemove $((PX + 80 + moves % 20)) $((PY + 300))
    sleep 0.2
    shot intro && [ "$(status_ink intro)" -gt 100 ]
}

# --- X11: Move from the menu, then a click where the panel should be.
QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$exe" >x11.log 2>&1 &
pids+=($!)
wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "${pids[0]}" 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no panel on X11"
eval "$(xdotool getwindowgeometry --shell "$wid")"
PX=$X PY=$Y BX=0 BY=0
poll 60 intro_ended || fail "the opening sequence did not end on X11"
read -r BX BY < <(button_at intro)
BX=$((BX - X)) BY=$((BY - Y))
xdotool mousemove $((X + 90)) $((Y + 160)) click 3
sleep 1
xdotool key m
sleep 0.5
xdotool mousemove $((X + 190)) $((Y + 220)) click 1
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$X $Y" = "$((PX + 100)) $((PY + 60))" ] || fail "Move took the panel from $PX,$PY to $X,$Y on X11"
kill "${pids[0]}"

# --- Wayland: weston in a window of the X server.
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --width=800 --height=600 --socket=pelmora-test --idle-time=0 \
    >weston.log 2>&1 &
pids+=($!)
poll 30 test -S "$XDG_RUNTIME_DIR/pelmora-test" || fail "weston did not start"
WAYLAND_DISPLAY=pelmora-test QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy "$exe" >wayland.log 2>&1 &
pids+=($!)
# Weston zooms a new window in: wait until two shots find it in one place.
last=
settled() {
    shot start && find_panel start && [ "$PX $PY" = "$last" ] || { last="${PX:-} ${PY:-}" && false; }
}
poll 60 settled || fail "no panel on Wayland"
# Weston's X11 backend follows the pointer by its relative motion and takes
# its absolute place only when it enters weston's window (800 x 600 at the
# top left), which may have happened before weston listened: enter anew.
xdotool mousemove 1000 700 sleep 0.2 mousemove $((PX + 80)) $((PY + 300)) sleep 0.2
moves=0
poll 60 intro_ended || fail "the opening sequence did not end on Wayland"

# Move is there but disabled: a click on it does nothing, Escape closes the
# menu, and the first click on HELP shows the help text.
xdotool mousemove $((PX + 90)) $((PY + 160)) click 3
sleep 1
xdotool mousemove $((PX + 120)) $((PY + 170)) click 1
sleep 0.5
xdotool key Escape
sleep 0.5
shot before-help
xdotool mousemove $((PX + 145)) $((PY + 419)) click 1
sleep 1
shot after-help
changed=$(compare -metric AE -crop "150x110+$((PX + 16))+$((PY + 52))" before-help.png after-help.png null: 2>&1)
[ "${changed%% *}" -gt 500 ] || fail "the first click after the menu did not reach the panel on Wayland"
! grep -q 'grabbing' wayland.log || fail "the program tried to grab input on Wayland"

# The drag bar: the compositor moves the panel while the button is held.
xdotool mousemove $((PX + 40)) $((PY + 8)) mousedown 1
for step in 1 2 3 4 5; do
    xdotool mousemove $((PX + 40 + 30 * step)) $((PY + 8 + 8 * step))
    sleep 0.1
done
xdotool mouseup 1
sleep 0.5
startX=$PX startY=$PY
shot dragged && find_panel dragged || fail "the panel is gone after the drag on Wayland"
[ "$PX $PY" = "$((startX + 150)) $((startY + 40))" ] || fail "the drag took the panel from $startX,$startY to $PX,$PY"
echo "window move test passed"
