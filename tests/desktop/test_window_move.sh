#!/bin/bash
# The window menu's Move and the drag bar on both window systems. On X11 (a
# bare X server) Move lets the panel follow the mouse until a click. On
# Wayland (weston, nested in the same X server) Move is unavailable: nothing
# tries to grab input, the next click reaches the panel, and the drag bar
# still moves it through the compositor.
#
# Usage: test_window_move.sh PELMORA SCRATCH-DIR
. "$(dirname "$0")/desktop_lib.sh"

# The top left corner of the red power button on screenshot $1 ("X Y"), the
# only pixels of its red: it tells where the panel is on either system.
button_at() {
    convert "$scratch/$1.png" -fill black -fuzz 2% +opaque 'rgb(211,27,21)' -trim -format '%X %Y\n' info: 2>/dev/null | tr -d +
}
# Sets the panel's X Y on screenshot $1 from the button's place on it (BX BY).
find_panel() {
    local x y
    read -r x y < <(button_at "$1") && [ "$x" -gt 0 ] && X=$((x - BX)) && Y=$((y - BY))
}

# --- X11: Move from the menu, then a click where the panel should be.
start_program QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
end_intro
read -r BX BY < <(button_at intro)
BX=$((BX - X)) BY=$((BY - Y))
PX=$X PY=$Y
xdotool mousemove $((X + 90)) $((Y + 160)) click 3 sleep 1 key m sleep 0.5
xdotool mousemove $((X + 190)) $((Y + 220)) click 1 sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$X $Y" = "$((PX + 100)) $((PY + 60))" ] || fail "Move took the panel from $PX,$PY to $X,$Y on X11"
kill "$pid"

# --- Wayland: weston in a window of the X server.
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --width=800 --height=600 --socket=pelmora-test --idle-time=0 \
    >weston.log 2>&1 &
poll 30 test -S "$XDG_RUNTIME_DIR/pelmora-test" || fail "weston did not start"
WAYLAND_DISPLAY=pelmora-test QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy "$exe" >wayland.log 2>&1 &
# Weston zooms a new window in: wait until two shots find it in one place.
last=
settled() {
    shot start && find_panel start && [ "$X $Y" = "$last" ] || { last="$X $Y" && false; }
}
poll 60 settled || fail "no panel on Wayland"
# Weston's X11 backend takes the pointer's absolute place only when it
# enters weston's window (800 x 600 at the top left), which may have
# happened before weston listened: enter anew.
xdotool mousemove 1000 700 sleep 0.2 mousemove $((X + 80)) $((Y + 300)) sleep 0.2
end_intro

# Move is there but disabled: a click on it does nothing, Escape closes the
# menu, and the first click on HELP shows the help text.
xdotool mousemove $((X + 90)) $((Y + 160)) click 3 sleep 1
xdotool mousemove $((X + 120)) $((Y + 170)) click 1 sleep 0.5 key Escape sleep 0.5
shot before-help
xdotool mousemove $((X + 145)) $((Y + 419)) click 1 sleep 1
shot after-help
changed=$(compare -metric AE -crop "150x110+$((X + 16))+$((Y + 52))" before-help.png after-help.png null: 2>&1)
[ "${changed%% *}" -gt 500 ] || fail "the first click after the menu did not reach the panel on Wayland"
! grep -q 'grabbing' wayland.log || fail "the program tried to grab input on Wayland"

# The drag bar: the compositor moves the panel while the button is held.
PX=$X PY=$Y
xdotool mousemove $((X + 40)) $((Y + 8)) mousedown 1
for step in 1 2 3 4 5; do
    xdotool mousemove $((PX + 40 + 30 * step)) $((PY + 8 + 8 * step)) sleep 0.1
done
xdotool mouseup 1 sleep 0.5
shot dragged && find_panel dragged || fail "the panel is gone after the drag on Wayland"
[ "$X $Y" = "$((PX + 150)) $((PY + 40))" ] || fail "the drag took the panel from $PX,$PY to $X,$Y"
echo "window move test passed"
