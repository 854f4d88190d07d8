#!/bin/bash
# Measures the sound device at rest, while dialling and under load, on a
# PulseAudio server with a null sink (started here, with its own runtime
# directory and suspend-on-idle after 2 s) and on SDL's disk driver.
#
#   sound_device.sh after BUILD_DIR OUT_DIR
#       the engine of this tree, in bench/bench_sound_device: the sink and
#       the wakeups at rest (also for SDL's pause, close and quit of a
#       device), key-to-sound, a silence held open, 40 keys, and 500 keys
#       under load.
#   sound_device.sh before MAIN_SOURCE_DIR OUT_DIR
#       the program of a source tree that kept its device open: it builds
#       that tree (with this bench_sound_device added, built for the engine
#       of before), measures build/pelmora at rest under Xvfb and its own
#       playback of 40 and of 500 keys under load, and the bench's
#       key-to-sound and held silence.
#
# Wakeups are the context switches (voluntary and involuntary) of all the
# process's threads over 10 s, read from /proc/PID/task/*/status; CPU is the
# threads' run time from /proc/PID/task/*/schedstat. Rest is measured from
# 5 s to 15 s after the last sound. Every figure is printed with the load
# average of the machine at that moment. Needs pulseaudio, pulseaudio-utils,
# xvfb, xauth, xdotool, sox, multimon-ng and dtmf2num; run as a user whose
# sound server may be started (root is fine).
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
repo=$(dirname "$here")

if [ "${1:-}" = "--inside-x" ]; then
    shift
    inside_x=1
else
    inside_x=0
fi
[ $# -eq 3 ] || {
    echo "usage: $0 after BUILD_DIR OUT_DIR | before MAIN_SOURCE_DIR OUT_DIR" >&2
    exit 2
}
what=$1
tree=$(readlink -f "$2")
out=$(readlink -m "$3")
mkdir -p "$out"

note() { echo "$* [load $(cut -d' ' -f1-3 /proc/loadavg)]" | tee -a "$out/figures.txt"; }

# CPU nanoseconds and context switches of every thread of a process.
sample() {
    local cpu=0 switches=0 task run n
    for task in /proc/"$1"/task/*; do
        read -r run _ <"$task/schedstat" || continue
        n=$(awk '/ctxt_switches/ { s += $2 } END { print s + 0 }' "$task/status" 2>/dev/null || echo 0)
        cpu=$((cpu + run))
        switches=$((switches + n))
    done
    echo "$cpu $switches"
}

sink_state() {
    if [ "$SDL_AUDIODRIVER" = pulseaudio ]; then
        pactl list short sinks | awk '$2 == "line" { print $NF }'
    else
        echo "-"
    fi
}

# The cost of a process that has just come to rest: the sink after 5 s, and
# CPU and wakeups from 5 s to 15 s.
measure_rest() {
    local label=$1 pid=$2 a b
    sleep 5
    local state
    state=$(sink_state)
    a=$(sample "$pid")
    sleep 10
    b=$(sample "$pid")
    set -- $a $b
    note "$label on $SDL_AUDIODRIVER: sink $state after 5 s;" \
        "$(awk -v c=$(($3 - $1)) -v s=$(($4 - $2)) 'BEGIN { printf "CPU %.3f %% of a core, %.1f wakeups/s", c / 1e7 / 10, s / 10 }')"
}

pulse_dir=""
pulse_pid=""
start_pulse() {
    pulse_dir=$(mktemp -d)
    export XDG_RUNTIME_DIR=$pulse_dir
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$out/pulseaudio.log" \
        -L 'module-null-sink sink_name=line' -L module-native-protocol-unix \
        -L 'module-suspend-on-idle timeout=2' &
    pulse_pid=$!
    for _ in $(seq 1 50); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl set-default-sink line
}

stop_pulse() {
    [ -z "$pulse_pid" ] || kill "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
    pulse_pid=""
}

busy=()
start_load() {
    for _ in 1 2 3; do
        python3 -c 'while True: pass' &
        busy+=($!)
    done
    sleep 5
}

stop_load() {
    [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true
    busy=()
}

recorder=""
# Records what reaches the line: the sink's monitor, or the disk driver's
# own file.
start_recording() {
    local file=$1
    if [ "$SDL_AUDIODRIVER" = pulseaudio ]; then
        parec -d line.monitor --raw --format=s16le --rate=48000 --channels=2 >"$file" &
        recorder=$!
    else
        export SDL_DISKAUDIOFILE=$file
    fi
}

stop_recording() {
    if [ -n "$recorder" ]; then
        kill "$recorder" 2>/dev/null || true
        wait "$recorder" 2>/dev/null || true
        recorder=""
    fi
}

trap 'stop_load; stop_recording; stop_pulse' EXIT

keys40=$(python3 "$here/sound_keys.py" pairs 40)
keys500=$(python3 "$here/sound_keys.py" pairs 500)

# Decoded keys and silences of a recording: the line is appended to the
# figures.
check_keys() {
    local label=$1 file=$2 keys=$3
    python3 "$here/sound_keys.py" check "$file" "$keys" >"$file.txt" 2>&1 || true
    note "$label on $SDL_AUDIODRIVER: $(tr '\n' ';' <"$file.txt")"
}

# --- after: the engine in its bench program ---------------------------------

after_driver() {
    local bench=$tree/bench/bench_sound_device pid mode
    # SDL alone: what each way of leaving a device does at rest.
    for mode in open pause close quit; do
        SDL_DISKAUDIOFILE=$out/sdl-$mode.raw "$bench" sdl-rest "$mode" >"$out/sdl-$mode.log" 2>&1 &
        pid=$!
        sleep 0.5
        measure_rest "SDL device left $mode" "$pid"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    done
    SDL_DISKAUDIOFILE=$out/rest.raw "$bench" rest >"$out/rest.log" 2>&1 &
    pid=$!
    sleep 0.5
    measure_rest "engine at rest" "$pid"
    kill "$pid"
    wait "$pid" 2>/dev/null || true

    SDL_DISKAUDIOFILE=$out/latency.raw "$bench" latency 40 >"$out/latency-$SDL_AUDIODRIVER.txt" 2>&1
    note "$(grep -A2 key-to-sound "$out/latency-$SDL_AUDIODRIVER.txt" | tr -s ' ' | tr '\n' ';')"
    SDL_DISKAUDIOFILE=$out/hold.raw "$bench" hold 10 >"$out/hold.txt" 2>&1
    note "$(grep silence "$out/hold.txt")"

    start_recording "$out/keys40-$SDL_AUDIODRIVER.raw"
    "$bench" keys "$keys40" >"$out/keys40.txt" 2>&1
    stop_recording
    note "$(grep keys "$out/keys40.txt")"
    check_keys "40 keys" "$out/keys40-$SDL_AUDIODRIVER.raw" "$keys40"

    start_load
    start_recording "$out/keys500-$SDL_AUDIODRIVER.raw"
    "$bench" keys "$keys500" >"$out/keys500.txt" 2>&1
    stop_recording
    note "under load: $(grep keys "$out/keys500.txt")"
    stop_load
    check_keys "500 keys under load" "$out/keys500-$SDL_AUDIODRIVER.raw" "$keys500"
}

# --- before: the program and the engine of before ----------------------------

# Drives the program: ends the opening sequence with the mouse; with a
# script, loads it and plays it, and waits for its end.
run_program() {
    local seconds=$1 pelmora=$tree/build/pelmora pid wid
    "$pelmora" >"$out/pelmora.log" 2>&1 &
    pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --sync $((X + 30 + step * 5)) $((Y + 300))
        sleep 0.5
    done
    xdotool windowfocus --sync "$wid"
    if [ "$seconds" = rest ]; then
        measure_rest "program at rest" "$pid"
    else
        xdotool mousemove --sync $((X + 37)) $((Y + 419)) click 1 # LOAD: the list, its entry selected
        sleep 0.5
        xdotool key Return
        sleep 1.5
        import -window root "$out/loaded.png" 2>/dev/null || true
        local start
        start=$(date +%s.%N)
        xdotool mousemove --sync $((X + 64)) $((Y + 229)) click 1 # PLAY
        sleep "$seconds"
        note "program playback: $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.0f s of wall time given", e - s }')"
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

before_driver() {
    local bench=$tree/build/bench/bench_sound_device
    SDL_DISKAUDIOFILE=$out/latency.raw "$bench" latency 40 >"$out/latency-$SDL_AUDIODRIVER.txt" 2>&1
    note "before: $(grep -A2 key-to-sound "$out/latency-$SDL_AUDIODRIVER.txt" | tr -s ' ' | tr '\n' ';')"

    local work
    work=$(mktemp -d)
    mkdir -p "$work/script"
    cd "$work"
    export SDL_DISKAUDIOFILE=$out/rest-program.raw
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" --inside-x before "$tree" "$out" rest

    printf 'dial %s\r\n' "$keys40" >script/aaa.dsq
    start_recording "$out/keys40-$SDL_AUDIODRIVER.raw"
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" --inside-x before "$tree" "$out" 12
    stop_recording
    check_keys "before: program's 40 keys" "$out/keys40-$SDL_AUDIODRIVER.raw" "$keys40"

    printf 'dial %s\r\n' "$keys500" >script/aaa.dsq
    start_load
    start_recording "$out/keys500-$SDL_AUDIODRIVER.raw"
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" --inside-x before "$tree" "$out" 140
    stop_recording
    stop_load
    check_keys "before: program's 500 keys under load" "$out/keys500-$SDL_AUDIODRIVER.raw" "$keys500"
    cd "$out"
    rm -rf "$work"
}

if [ "$inside_x" = 1 ]; then
    run_program "$4"
    exit 0
fi

export SDL_NO_SIGNAL_HANDLERS=1
case "$what" in
after)
    start_pulse
    export SDL_AUDIODRIVER=pulseaudio
    after_driver
    stop_pulse
    export SDL_AUDIODRIVER=disk
    after_driver
    ;;
before)
    if [ ! -x "$tree/build/bench/bench_sound_device" ]; then
        cp "$here/bench_sound_device.cpp" "$tree/bench/"
        cat >>"$tree/bench/CMakeLists.txt" <<'EOF'

add_executable(bench_sound_device bench_sound_device.cpp)
target_link_libraries(bench_sound_device PRIVATE pelmora_core)
target_compile_definitions(bench_sound_device PRIVATE PELMORA_OLD_ENGINE)
pelmora_target_options(bench_sound_device)
EOF
        cmake -S "$tree" -B "$tree/build" >/dev/null
        cmake --build "$tree/build" -j2 --target pelmora bench_sound_device >/dev/null
    fi
    start_pulse
    export SDL_AUDIODRIVER=pulseaudio
    before_driver
    stop_pulse
    export SDL_AUDIODRIVER=disk
    before_driver
    ;;
*)
    echo "usage: $0 after BUILD_DIR OUT_DIR | before MAIN_SOURCE_DIR OUT_DIR" >&2
    exit 2
    ;;
esac
