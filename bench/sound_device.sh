#!/bin/bash
# Measures the sound device at rest, while dialling and under load, on a
# PulseAudio server with a null sink (started here, with its own runtime
# directory and suspend-on-idle after 2 s) and on SDL's disk driver.
#
#   [DRIVERS="pulseaudio disk"] sound_device.sh after|before SOURCE_DIR OUT_DIR
#       SOURCE_DIR/build holds pelmora and bench/bench_sound_device. For
#       "before" (a tree whose engine kept its device open) they are built
#       there when missing, the bench for the engine of before.
#       The engine, in bench_sound_device: key-to-sound; for "after" also
#       what another client (pacat) waits for its first sound on the sink,
#       the sink and the wakeups at rest (for SDL's open, pause, close and
#       quit of a device too), a silence held open, and 40 and 500 keys (the
#       latter under load) sounded as one sequence.
#       The program, build/pelmora under Xvfb: at rest, in a 10 s wait of a
#       script, and its own playback of a script of 40 keys and of one of
#       500 keys under load (lines of 50 keys).
#
# Wakeups are the context switches (voluntary and involuntary) of all the
# process's threads over 10 s, read from /proc/PID/task/*/status; CPU is the
# threads' run time from /proc/PID/task/*/schedstat. Rest is measured from
# 5 s to 15 s after the last sound. Every figure is printed with the load
# average of the machine at that moment. Needs xvfb, xauth, xdotool, sox,
# multimon-ng and dtmf2num, and installs pulseaudio and pulseaudio-utils when
# they are missing; run as a user whose sound server may be started (root is
# fine).
set -euo pipefail
self=$(readlink -f "$0")
here=$(dirname "$self")

if [ "${1:-}" = "--inside-x" ]; then
    shift
    inside_x=1
else
    inside_x=0
fi
[ $# -eq 3 ] || [ $# -eq 4 -a "$inside_x" = 1 ] || {
    echo "usage: $0 after|before SOURCE_DIR OUT_DIR" >&2
    exit 2
}
what=$1
tree=$(readlink -f "$2")
out=$(readlink -m "$3")
mkdir -p "$out"

# The sound server is needed for measuring only, so it is not among the
# packages of scripts/deps.sh.
if [ "$inside_x" = 0 ] && ! { command -v pulseaudio && command -v pactl; } >/dev/null; then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends pulseaudio pulseaudio-utils
fi

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

# --- the engine in its bench program ---------------------------------------

# Whether the wait for the first sound after a rest is the sink's or the
# program's: pacat, another client, plays a 100 ms tone with a 5 ms latency
# on a suspended sink, on an idle sink 0.5 s after the last stream left, and
# on a sink held by a 5 ms stream. pacat returns when the server reports the
# tone played (it drains the stream), so its wall time is connect, wait and
# 100 ms of tone.
other_clients() {
    local tone=$out/tone.raw when times holder s e i
    sox -n -r 48000 -c 2 -b 16 -e signed-integer -t raw "$tone" synth 0.1 sine 1000 vol 0.3
    for when in suspended idle held; do
        times=""
        [ "$when" != held ] || {
            pacat -d line --latency-msec=5 --raw /dev/zero &
            holder=$!
            sleep 3
        }
        for i in 1 2 3; do
            [ "$when" = held ] || sleep 4
            [ "$when" != idle ] || {
                pacat -d line --raw "$tone"
                sleep 0.5
            }
            s=$(date +%s%N)
            pacat -d line --latency-msec=5 --raw "$tone"
            e=$(date +%s%N)
            times="$times $(((e - s) / 1000000)) ms"
        done
        [ "$when" != held ] || { kill "$holder"; wait "$holder" 2>/dev/null || true; }
        note "pacat, 100 ms tone at 5 ms latency, sink $when:$times"
    done
}

engine_driver() {
    local bench=$tree/build/bench/bench_sound_device pid mode
    SDL_DISKAUDIOFILE=$out/latency.raw "$bench" latency 40 >"$out/latency-$what-$SDL_AUDIODRIVER.txt" 2>&1
    note "$what, engine: $(grep -A3 key-to-sound "$out/latency-$what-$SDL_AUDIODRIVER.txt" | tr -s ' ' | tr '\n' ';')"
    if [ "$SDL_AUDIODRIVER" = pulseaudio ]; then
        # The null sink renders 2 s ahead while no stream asks for a short
        # latency, so a stream that connects waits up to 2 s for its first
        # request, which no sound card does. Held by a 5 ms stream of
        # silence, the sink shows what opening a stream costs.
        pacat -d line --latency-msec=5 --raw /dev/zero &
        local holder=$!
        sleep 3
        "$bench" latency 20 >"$out/latency-held-$what.txt" 2>&1
        kill "$holder"
        wait "$holder" 2>/dev/null || true
        note "$what, engine, sink held by a 5 ms stream: $(grep -A3 key-to-sound "$out/latency-held-$what.txt" | tr -s ' ' | tr '\n' ';')"
    fi
    if [ "$SDL_AUDIODRIVER" = pulseaudio ] && [ "$what" = after ]; then
        other_clients
    fi
    [ "$what" = after ] || return 0
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
    measure_rest "after, engine at rest" "$pid"
    kill "$pid"
    wait "$pid" 2>/dev/null || true

    SDL_DISKAUDIOFILE=$out/hold.raw "$bench" hold 10 >"$out/hold.txt" 2>&1
    note "after, engine: $(grep silence "$out/hold.txt")"

    start_recording "$out/engine-keys40-$SDL_AUDIODRIVER.raw"
    "$bench" keys "$keys40" >"$out/keys40.txt" 2>&1
    stop_recording
    note "after, engine: $(grep -e keys -e 'while sounding' "$out/keys40.txt" | tr '\n' ';')"
    check_keys "after, engine: 40 keys" "$out/engine-keys40-$SDL_AUDIODRIVER.raw" "$keys40"
    note "after, engine, 40 keys: $(python3 "$here/sound_keys.py" follow "$out/engine-keys40-$SDL_AUDIODRIVER.raw" "$out/keys40.txt")"

    start_load
    start_recording "$out/engine-keys500-$SDL_AUDIODRIVER.raw"
    "$bench" keys "$keys500" >"$out/keys500.txt" 2>&1
    stop_recording
    note "after, engine under load: $(grep -e keys -e 'while sounding' "$out/keys500.txt" | tr '\n' ';')"
    stop_load
    check_keys "after, engine: 500 keys under load" "$out/engine-keys500-$SDL_AUDIODRIVER.raw" "$keys500"
}

# --- the program ---------------------------------------------------------------

# Drives the program (inside X): ends the opening sequence with the mouse,
# then either rests, or loads the script and plays it: "wait" measures the
# 10 s wait of its script, a number of seconds lets the script play that
# long.
run_program() {
    local how=$1 pelmora=$tree/build/pelmora pid wid
    "$pelmora" >"$out/pelmora-$how.log" 2>&1 &
    pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --sync $((X + 30 + step * 5)) $((Y + 300))
        sleep 0.5
    done
    xdotool windowfocus --sync "$wid"
    if [ "$how" = rest ]; then
        measure_rest "$what, program at rest" "$pid"
        import -window root "$out/$what-rest.png" 2>/dev/null || true
    else
        xdotool mousemove --sync $((X + 37)) $((Y + 419)) click 1 # LOAD: the list, its entry selected
        sleep 0.5
        xdotool key Return
        sleep 1.5
        xdotool mousemove --sync $((X + 64)) $((Y + 229)) click 1 # PLAY
        if [ "$how" = wait ]; then
            # dial 5, then wait 10: from 1.5 s to 9.5 s after PLAY.
            sleep 1.5
            local a b state
            a=$(sample "$pid")
            sleep 4
            state=$(sink_state)
            import -window root "$out/$what-wait.png" 2>/dev/null || true
            sleep 4
            b=$(sample "$pid")
            set -- $a $b
            note "$what, program in a 10 s wait on $SDL_AUDIODRIVER: sink $state;" \
                "$(awk -v c=$(($3 - $1)) -v s=$(($4 - $2)) 'BEGIN { printf "CPU %.3f %% of a core, %.1f wakeups/s", c / 1e7 / 8, s / 8 }')"
        else
            sleep "$how"
            import -window root "$out/$what-played.png" 2>/dev/null || true
        fi
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# A script of the keys, in lines of 50 keys.
write_script() {
    python3 -c 'import sys; k = sys.argv[1]; sys.stdout.write("".join("dial %s\r\n" % k[i:i + 50] for i in range(0, len(k), 50)))' \
        "$1" >script/aaa.dsq
}

program_driver() {
    local work
    work=$(mktemp -d)
    mkdir -p "$work/script"
    cd "$work"
    export SDL_DISKAUDIOFILE=$out/program-rest.raw
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$self" --inside-x "$what" "$tree" "$out" rest

    printf 'dial 5\r\nwait 10\r\ndial 5\r\n' >script/aaa.dsq
    export SDL_DISKAUDIOFILE=$out/program-wait.raw
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$self" --inside-x "$what" "$tree" "$out" wait

    write_script "$keys40"
    start_recording "$out/$what-keys40-$SDL_AUDIODRIVER.raw"
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$self" --inside-x "$what" "$tree" "$out" 12
    stop_recording
    check_keys "$what, program: 40 keys" "$out/$what-keys40-$SDL_AUDIODRIVER.raw" "$keys40"

    write_script "$keys500"
    start_load
    start_recording "$out/$what-keys500-$SDL_AUDIODRIVER.raw"
    xvfb-run -a -s '-screen 0 1024x768x24' bash "$self" --inside-x "$what" "$tree" "$out" 120
    stop_recording
    stop_load
    check_keys "$what, program: 500 keys under load" "$out/$what-keys500-$SDL_AUDIODRIVER.raw" "$keys500"
    cd "$out"
    rm -rf "$work"
}

if [ "$inside_x" = 1 ]; then
    run_program "$4"
    exit 0
fi

export SDL_NO_SIGNAL_HANDLERS=1
case "$what" in
after) ;;
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
    ;;
*)
    echo "usage: $0 after|before SOURCE_DIR OUT_DIR" >&2
    exit 2
    ;;
esac
for driver in ${DRIVERS:-pulseaudio disk}; do
    export SDL_AUDIODRIVER=$driver
    [ "$driver" != pulseaudio ] || start_pulse
    engine_driver
    program_driver
    stop_pulse
done
