#!/usr/bin/env python3
"""Helpers of bench/sound_device.sh.

  sound_keys.py pairs N
      prints N keys in which every ordered pair of the twelve keys follows
      each other at least once (repeated keys included).
  sound_keys.py check OUT.raw KEYS
      reads a recording (48000 Hz, 16-bit, stereo, as the disk driver and
      parec write it), finds the key tones, and prints what both decoders
      read, whether that is KEYS, and the shortest and longest silence
      between two keys, the tones cut by underruns and the silences lost
      (two keys in one sound), and the pace of the keys on the output (in
      frames at 48000 Hz: on the disk driver, the device's own time).
      dtmf2num reads nothing of long
      files, so it is given pieces of 100 keys cut in the middle of gaps.
  sound_keys.py follow OUT.raw BENCH.txt
      sets the times at which bench_sound_device's "keys" saw each key
      sounding beside where the tones begin in the recording, both counted
      from the start, and prints how far each key shown strays from the
      usual offset between the two.
"""

import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "desktop"))
import play_timeline as timeline  # noqa: E402

KEYS = "123456789*0#"


def pairs(n):
    # An Euler circuit of the complete graph with loops on the twelve keys
    # visits every ordered pair once (145 keys); further keys repeat it from
    # shuffled starting orders until n keys are reached.
    rng = random.Random(14)
    keys = []
    while len(keys) < n:
        order = list(KEYS)
        rng.shuffle(order)
        unused = {a: list(order) for a in KEYS}
        stack, circuit = [order[0]], []
        while stack:
            top = stack[-1]
            if unused[top]:
                stack.append(unused[top].pop())
            else:
                circuit.append(stack.pop())
        keys.extend(reversed(circuit))
    return "".join(keys[:n])


def multimon(raw_path, first, end):
    sox = subprocess.Popen(
        ["sox", "-t", "raw", "-r", "48000", "-e", "signed-integer", "-b", "16", "-c", "2", raw_path,
         "-t", "raw", "-r", "22050", "-e", "signed-integer", "-b", "16", "-c", "1", "-",
         "trim", f"{first}s", f"={end}s"],
        stdout=subprocess.PIPE)
    out = subprocess.run(["multimon-ng", "-q", "-c", "-a", "DTMF", "-t", "raw", "-"], stdin=sox.stdout,
                         capture_output=True, text=True).stdout
    sox.wait()
    return "".join(line[-1] for line in out.splitlines() if line.startswith("DTMF: "))


def dtmf2num(raw_path, first, end):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "piece.wav")
        subprocess.run(["sox", "-t", "raw", "-r", "48000", "-e", "signed-integer", "-b", "16", "-c", "2", raw_path,
                        "-r", "8000", "-c", "1", "-b", "16", wav, "trim", f"{first}s", f"={end}s"], check=True)
        out = subprocess.run(["dtmf2num", "-o", wav], capture_output=True, text=True).stdout
    for line in out.splitlines():
        if line.startswith("- DTMF numbers:"):
            return line.split(":", 1)[1].replace(" ", "").strip()
    return ""


def check(raw_path, expected):
    tones = [(first, end) for first, end, key in timeline.timeline(raw_path) if key is not None]
    gaps = [(b[0] - a[1]) * 1000.0 / timeline.RATE for a, b in zip(tones, tones[1:])]
    if not tones:
        print("no key tones found")
        return 1
    # Only the keys are decoded: the effect clips around them are no keys,
    # but a decoder may read one as a key.
    start, stop = max(tones[0][0] - 2400, 0), tones[-1][1] + 2400
    by_multimon = multimon(raw_path, start, stop)
    by_dtmf2num = ""
    for i in range(0, len(tones), 100):
        first = start if i == 0 else (tones[i - 1][1] + tones[i][0]) // 2
        last = min(i + 100, len(tones))
        end = stop if last == len(tones) else (tones[last - 1][1] + tones[last][0]) // 2
        by_dtmf2num += dtmf2num(raw_path, first, end)
    print(f"tones found {len(tones)} of {len(expected)}")
    print(f"multimon-ng read {len(by_multimon)} keys, {'all exactly' if by_multimon == expected else 'NOT the keys'}")
    print(f"dtmf2num read {len(by_dtmf2num)} keys, {'all exactly' if by_dtmf2num == expected else 'NOT the keys'}")
    if gaps:
        print(f"silence between keys: min {min(gaps):.1f} ms, max {max(gaps):.1f} ms")
        # Every sound of the playback, key or not. A break of less than 40 ms
        # beside a piece of a tone is a tone cut by an underrun (the sound
        # server ran out of samples); between two whole tones it is a silence
        # shrunk. A sound much longer than a tone holds two keys whose
        # silence was lost.
        sounds = [(a, b) for a, b, _ in timeline.timeline(raw_path) if a >= tones[0][0] and b <= tones[-1][1]]
        lengths = sorted(b - a for a, b in sounds)
        usual = lengths[len(lengths) // 2]
        cut = shrunk = 0
        for a, b in zip(sounds, sounds[1:]):
            if (b[0] - a[1]) * 1000.0 / timeline.RATE < 40:
                if min(a[1] - a[0], b[1] - b[0]) < 0.8 * usual:
                    cut += 1
                else:
                    shrunk += 1
        merged = sum(1 for n in lengths if n > 1.6 * usual)
        print(f"tones cut by underruns {cut}, silences under 40 ms {shrunk}, silences lost {merged}")
        whole = [(b[0] - a[1]) * 1000.0 / timeline.RATE for a, b in zip(sounds, sounds[1:])
                 if min(a[1] - a[0], b[1] - b[0]) >= 0.8 * usual]
        print(f"silence between whole tones: min {min(whole, default=0):.1f} ms")
    return 0 if by_multimon == expected and by_dtmf2num == expected and gaps and min(gaps) >= 60 else 1


def follow(raw_path, bench_path):
    with open(bench_path) as f:
        shown = next((line.split(":", 1)[1].split() for line in f if line.startswith("shown at ms:")), [])
    shown = [float(t) for t in shown]
    onsets = [first * 1000.0 / timeline.RATE for first, _, key in timeline.timeline(raw_path) if key is not None]
    if len(onsets) != len(shown) or not shown or min(shown) < 0:
        print(f"panel: {len(shown)} keys shown, {len(onsets)} tones: not comparable")
        return 1
    # The sound server's own delay is the same for every key: what matters
    # is how far each key strays from the usual offset. The first key is
    # given apart, as a sink that has just resumed may hold it back.
    offsets = [t - o for o, t in zip(onsets, shown)]
    usual = sorted(offsets[1:] or offsets)[len(offsets[1:] or offsets) // 2]
    rest = sorted(d - usual for d in offsets[1:]) or [0.0]
    print(f"panel against the sound (positive: shown late), beside the usual offset: first key "
          f"{offsets[0] - usual:.1f} ms, the others from {rest[0]:.1f} to {rest[-1]:.1f} ms")
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "pairs":
        print(pairs(int(sys.argv[2])))
    elif len(sys.argv) == 4 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    elif len(sys.argv) == 4 and sys.argv[1] == "follow":
        sys.exit(follow(sys.argv[2], sys.argv[3]))
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
