#!/bin/bash
# The program as a command-line tool, without a display: a script with all
# twelve keys, repeated digits, capitals, a remark, a show line, a pause, two
# waits and a play line (whose wave file holds a key, rendered with --dial)
# is rendered from another folder, and two independent DTMF decoders must
# read exactly its keys. Then --play on SDL's disk driver is stopped by SIGINT and by
# SIGTERM during a wait: it must end within 300 ms with 130 or 143.
#
# Usage: test_cli.sh PELMORA SCRATCH_DIR (exit 77: a tool is missing)
for tool in sox multimon-ng dtmf2num; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" && exit 77; }
done
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
no_display=1
. "$(dirname "$0")/desktop_lib.sh"

mkdir tones
printf '%s\r\n' "dial 5550*12#" "REM call 777 first" "wait 2" "DIAL (99) 00-1" "Show Menu" "pause" \
    'play "Key9.WAV"' "wait 1" "  dial 4367 8#" >tones/script.dsq
expected="5550*12#99001943678#"
"$exe" --dial 9 --render tones/key9.wav || fail "--dial 9 --render failed"
for rate in 8000 48000; do
    "$exe" --render "out$rate.wav" --rate "$rate" tones/script.dsq >"cues$rate.log" 2>"notes$rate.log"
    keys=$(decoded_keys "out$rate.wav")
    [ "$keys" = "$expected $expected" ] || fail "$rate Hz: the decoders read '$keys', expected $expected"
    grep -qx '00:0[0-9]\.[0-9][0-9][0-9] Menu' "cues$rate.log" || fail "no cue for the show line"
    grep -q '^pelmora: tones/script.dsq:6: pause line at .*: 5 s of silence$' "notes$rate.log" \
        || fail "no note for the pause line"
done

# --play, stopped by a signal during a wait.
printf 'dial 1\nwait 30\ndial 2\n' >wait.dsq
for signal in INT:130 TERM:143; do
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=play.raw "$exe" --play wait.dsq >lines.log 2>play.log </dev/null &
    pid=$!
    poll 10 grep -q '\[2\] wait 30' lines.log
    sleep 0.5
    start=$(date +%s%N)
    kill -"${signal%:*}" "$pid"
    code=0
    wait "$pid" || code=$?
    ms=$((($(date +%s%N) - start) / 1000000))
    [ "$code" = "${signal#*:}" ] && [ "$ms" -le 300 ] && ! grep -q '\[3\]' lines.log \
        || fail "SIG${signal%:*} during a wait: exit $code after $ms ms, expected ${signal#*:} within 300 ms before line 3"
done
echo "PASS"
