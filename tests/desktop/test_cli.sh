#!/bin/bash
# The program as a command-line tool, without a display: a script with
# repeated digits, capitals, a remark, a show line, a pause, two waits and a
# play line (whose wave file holds a key, rendered with --dial) is rendered
# from another folder, and two independent DTMF decoders must read exactly
# its keys. Then --play on SDL's disk driver is stopped by SIGINT and by
# SIGTERM during a wait: it must end within 300 ms with 130 or 143.
#
# Usage: test_cli.sh PELMORA SCRATCH_DIR (exit 77: a tool is missing)
set -euo pipefail
if [ $# -ne 2 ] || [ -z "$2" ]; then
    echo "usage: $0 PELMORA SCRATCH_DIR" >&2
    exit 2
fi
pelmora=$(readlink -f "$1")
scratch=$2
for tool in sox multimon-ng dtmf2num; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
# No display and no platform plugin: the command line needs neither.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

rm -rf "$scratch"
mkdir -p "$scratch/tones"
cd "$scratch"
printf '%s\r\n' "dial 5550*12#" "REM call 777 first" "wait 2" "DIAL (99) 00-1" "Show Menu" "pause" \
    'play "Key9.WAV"' "wait 1" "  dial 44#" >tones/script.dsq
expected="5550*12#9900194 4#"
expected=${expected// /}
status=0

"$pelmora" --dial 9 --render tones/key9.wav
for rate in 8000 48000; do
    "$pelmora" --render "out$rate.wav" --rate "$rate" tones/script.dsq >"cues$rate.txt" 2>"notes$rate.txt"
    multimon=$(sox "out$rate.wav" -t raw -r 22050 -e signed-integer -b 16 -c 1 - \
        | multimon-ng -q -c -a DTMF -t raw - 2>/dev/null | sed -n 's/^DTMF: \(.\)$/\1/p' | tr -d '\n')
    dtmf2num=$(dtmf2num -o "out$rate.wav" 2>&1 | sed -n 's/^- DTMF numbers: *\(.*\)$/\1/p' | tr -d ' \r\n')
    echo "$rate Hz: expected $expected, multimon-ng $multimon, dtmf2num $dtmf2num"
    if [ "$multimon" != "$expected" ] || [ "$dtmf2num" != "$expected" ]; then
        echo "FAIL: the decoders did not read exactly the keys of the script"
        status=1
    fi
    if ! grep -qx '00:0[0-9]\.[0-9][0-9][0-9] Menu' "cues$rate.txt" \
        || ! grep -q '^pelmora: tones/script.dsq:6: pause line at .*: 5 s of silence$' "notes$rate.txt"; then
        echo "FAIL: no cue for the show line or no note for the pause"
        cat "cues$rate.txt" "notes$rate.txt"
        status=1
    fi
done

# --play, stopped by a signal during a wait.
printf 'dial 1\nwait 30\ndial 2\n' >wait.dsq
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$scratch/play.raw
for signal in INT:130 TERM:143; do
    "$pelmora" --play wait.dsq >lines.txt 2>play.log </dev/null &
    pid=$!
    for _ in $(seq 1 100); do
        grep -q '\[2\] wait 30' lines.txt && break
        sleep 0.1
    done
    sleep 0.5
    start=$(date +%s%N)
    kill -"${signal%:*}" "$pid"
    code=0
    wait "$pid" || code=$?
    ms=$((($(date +%s%N) - start) / 1000000))
    echo "SIG${signal%:*} during a wait: exit $code after $ms ms"
    if [ "$code" != "${signal#*:}" ] || [ "$ms" -gt 300 ] || grep -q '\[3\]' lines.txt; then
        echo "FAIL: expected exit ${signal#*:} within 300 ms, before line 3"
        cat lines.txt play.log
        status=1
    fi
done
[ "$status" = 0 ] && echo "PASS"
exit "$status"
