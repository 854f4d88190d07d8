#!/usr/bin/env python3
"""The sounds of a playback recorded by SDL's disk driver (48000 Hz, 16-bit,
stereo), split at every 10 ms of silence; a sound that is a DTMF tone pair is
named by its key (Goertzel filters), effect clips are left unnamed.

  play_timeline.py start OUT.raw
      the byte offset halfway between the first key tone and the sound before.
  play_timeline.py sample OUT.raw PACE.txt
      until killed, writes "WALL_SECONDS FILE_BYTES" whenever the file grows.
  play_timeline.py check OUT.raw PACE.txt KEYS GAPS
      the key tones are exactly KEYS (lines separated by "|"), each silence in
      GAPS (comma-separated KEYS_BEFORE:MILLISECONDS) lasts its time +- 30 ms,
      and between the keys of one line 70 ms (-5, +30). The disk driver runs
      a few per cent slow, so durations are divided by its pace, fitted from
      PACE.txt.
"""

import array
import math
import os
import sys
import time

RATE = 48000
LOUD = 400
LOW = [697, 770, 852, 941]
HIGH = [1209, 1336, 1477, 1633]
KEYS = ["123A", "456B", "789C", "*0#D"]


def goertzel(samples, hz):
    c = 2 * math.cos(2 * math.pi * hz / RATE)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + c * s1 - s2, s1
    return s1 * s1 + s2 * s2 - c * s1 * s2


def key_of(samples):
    # A tone pair puts nearly all its energy into its two frequencies.
    energy = sum(x * x for x in samples) * len(samples) / 2
    low = [goertzel(samples, hz) for hz in LOW]
    high = [goertzel(samples, hz) for hz in HIGH]
    row, column = low.index(max(low)), high.index(max(high))
    return KEYS[row][column] if energy and (low[row] + high[column]) / energy >= 0.8 else None


def timeline(path):
    """(first, end, key or None) of every sound, in frames."""
    left = array.array("h", open(path, "rb").read())[0::2]
    found, start, last = [], None, None
    for i, x in enumerate(left):
        if abs(x) > LOUD:
            start, last = i if start is None else start, i
        elif start is not None and i - last >= RATE // 100:
            found.append((start, last + 1))
            start = None
    if start is not None:
        found.append((start, last + 1))
    return [(a, b, key_of(left[a:b])) for a, b in found]


def fitted_pace(points, first=0, end=float("inf")):
    """Frames written per wall second against the nominal rate (least squares)."""
    points = [(t, f) for t, f in points if first <= f <= end]
    if len(points) < 10:
        return None
    mt = sum(t for t, _ in points) / len(points)
    mf = sum(f for _, f in points) / len(points)
    return sum((t - mt) * (f - mf) for t, f in points) / sum((t - mt) ** 2 for t, _ in points) / RATE


def check(path, pace_path, expected, gaps):
    keys = [(a, b, k) for a, b, k in timeline(path) if k]
    heard = "".join(k for _, _, k in keys)
    print("key tones of the playback: %s" % heard)
    failed = heard != expected.replace("|", "")
    points = [(float(t), int(n) / 4) for t, n in (line.split() for line in open(pace_path))]
    pace = fitted_pace(points)
    if failed or pace is None:
        sys.exit("FAIL: expected the key tones %s and a pace (%d samples)" % (expected, len(points)))
    want = dict((int(b), int(w)) for b, w in (gap.split(":") for gap in gaps.split(",")))
    index = 0
    for line in expected.split("|"):
        for before in range(index + 1, index + len(line)):
            want[before] = None
        index += len(line)
    for before, ms in sorted(want.items()):
        first, end = keys[before - 1][1], keys[before][0]
        real = (end - first) * 1000.0 / RATE / (ms and fitted_pace(points, first, end) or pace)
        ok = 65 <= real <= 100 if ms is None else abs(real - ms) <= 30
        if ms or not ok:
            print("%s: silence after key %d: %.1f ms, expected %s" % ("ok" if ok else "FAIL", before, real, ms or 70))
        failed = failed or not ok
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    if sys.argv[1:2] == ["start"]:
        events = timeline(sys.argv[2])
        first = next(i for i, (_, _, k) in enumerate(events) if k)
        print((events[first][0] + (events[first - 1][1] if first else 0)) // 2 * 4)
    elif sys.argv[1:2] == ["sample"]:
        size, out = -1, open(sys.argv[3], "w")
        while True:
            now = os.path.getsize(sys.argv[2]) if os.path.exists(sys.argv[2]) else size
            if now != size:
                size = now
                out.write("%.6f %d\n" % (time.monotonic(), size))
                out.flush()
            time.sleep(0.005)
    else:
        check(*sys.argv[2:6])
