#!/bin/bash
# Measures how long the real program takes from Escape to its exit in each
# situation a user may close it in, on a virtual X server with SDL's disk
# driver, and the memory it takes to play a long wave file.
#
# Usage: closing_times.sh PELMORA [RUNS] [CASE...]
# Cases: dial wait pause wave info loading flashes mousewait memory (all by
# default). Prints one line per run: the case, the milliseconds from sending
# Escape to the end of the process, and its exit status.
set -u

if [ -z "${PELMORA_BENCH_IN_XVFB:-}" ]; then
    PELMORA_BENCH_IN_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi

exe=$(readlink -f "$1")
runs=${2:-3}
shift $(($# < 2 ? $# : 2))
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(dial wait pause wave info loading flashes mousewait memory)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

digits=1234567890123456789012345678901234567890

# The one script of each case, and the seconds from PLAY to Escape. In the
# info and loading cases PAUSE, STOP and '#' or '*' are clicked while the
# long dial line sounds; Escape comes when the wait after it would run.
script_of() {
    case $1 in
    dial) printf 'dial %s%s\r\n' "$digits" "$digits" ;;
    wait) printf 'dial 1\r\nwait 60\r\n' ;;
    pause) printf 'dial 1\r\npause\r\n' ;;
    wave | memory) printf 'play "long.wav"\r\n' ;;
    info | loading) printf 'dial %s\r\nwait 20\r\ndial 1\r\n' "$digits" ;;
    esac
}

click() {
    xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
}

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

status_is_dots() {
    import -window root -crop "146x16+$((X + 18))+$((Y + 174))" "$scratch/status.png" 2>/dev/null || return 1
    local ink
    ink=$(convert "$scratch/status.png" -fuzz 12% -transparent '#2ABFFF' -alpha extract \
        -format '%[fx:int(mean*w*h+.5)]' info:)
    [ "$ink" -gt 0 ] && [ "$ink" -lt 40 ]
}

one_run() {
    local case=$1 work=$scratch/$1
    rm -rf "$work"
    mkdir -p "$work/script"
    script_of "$case" >"$work/script/x.dsq"
    if [ "$case" = memory ]; then
        sox -n -r 1000 -c 1 -b 16 "$work/script/long.wav" synth 599 sine 300
    elif [ "$case" = wave ]; then
        sox -n -r 11025 -c 1 -b 16 "$work/script/long.wav" synth 30 sine 440
    fi
    cd "$work" || return
    xdotool mousemove 1 1
    local timer=()
    [ "$case" = memory ] && timer=(/usr/bin/time -v -o "$work/time.txt")
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" SDL_NO_SIGNAL_HANDLERS=1 \
        "${timer[@]}" "$exe" >"$work/log.txt" 2>&1 &
    local pid=$! program=$!
    [ "$case" = memory ] && sleep 0.5 && program=$(ps --ppid "$pid" -o pid= | tr -d ' ')
    local wid
    wid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$program" 2>/dev/null | head -n 1)
    if [ -z "$wid" ]; then
        echo "$case: no window" >&2
        kill "$program"
        wait "$pid"
        return
    fi
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    local tries=0
    until status_is_dots || [ $((tries += 1)) -gt 600 ]; do sleep 0.05; done

    case $case in
    flashes) ;;
    mousewait) sleep 3 ;;
    *)
        sleep 1.5
        xdotool mousemove $((X + 40)) $((Y + 300))
        sleep 0.3
        xdotool mousemove $((X + 50)) $((Y + 310))
        sleep 0.5
        xdotool windowfocus --sync "$wid"
        click 37 419 # '*': the list, its one script selected
        sleep 0.5
        xdotool key Return
        sleep 1
        click 64 229 # PLAY
        case $case in
        info | loading)
            sleep 1
            click 37 267 # PAUSE
            click 91 267 # STOP
            if [ "$case" = info ]; then click 145 419; else click 37 419; fi
            sleep 11
            ;;
        memory) sleep 5 ;;
        *) sleep 3 ;;
        esac
        ;;
    esac

    xdotool windowfocus --sync "$wid" 2>/dev/null
    local start
    start=$(now_ms)
    xdotool key --delay 0 Escape
    if [ "$case" = memory ]; then
        # A program that plays the file to its end before it reads the
        # Escape is ended after 5 s; the peak of its memory is long past.
        local polls=0
        while kill -0 "$program" 2>/dev/null && [ $((polls += 1)) -le 100 ]; do sleep 0.05; done
        kill "$program" 2>/dev/null
    fi
    wait "$pid"
    local status=$? end
    end=$(now_ms)
    if [ "$case" = memory ]; then
        printf '%-10s %6d ms  status %d  %s\n' "$case" $((end - start)) "$status" \
            "$(grep -o 'Maximum resident set size.*' "$work/time.txt")"
    else
        printf '%-10s %6d ms  status %d\n' "$case" $((end - start)) "$status"
    fi
}

for case in "${cases[@]}"; do
    for _ in $(seq "$runs"); do
        one_run "$case"
    done
done
