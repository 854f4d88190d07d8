#!/usr/bin/env python3
"""The sounds of a recorded playback on the audio timeline.

Reads the raw output of SDL's disk driver (48000 Hz, 16-bit, stereo), splits
it into sounds at every stretch of at least 10 ms of silence, and names each
sound that is a DTMF tone pair by its key (Goertzel filters on the eight DTMF
frequencies). Effect clips are not tone pairs and are left unnamed.

  play_timeline.py trim OUT.raw
      prints the second at which to cut the file so that only the playback
      is left: halfway between the first key tone and the sound before it.
  play_timeline.py sample OUT.raw PACE.txt
      until killed, writes a line "WALL_SECONDS FILE_BYTES" to PACE.txt each
      time the device's file grows (looked at every 5 ms).
  play_timeline.py check OUT.raw PACE.txt KEYS GAPS
      checks that the key tones of the playback are exactly KEYS, that
      each silence named in GAPS lasted as long as it should, and that
      every silence between two keys of one dial line lasted 70 ms (5 ms
      less or 30 ms more are allowed). KEYS
      separates the keys of different lines with "|". GAPS is a
      comma-separated list of KEYS_BEFORE:MILLISECONDS. The disk driver
      consumes samples a few per cent slower than real time, so a silence
      of t milliseconds takes only t * pace milliseconds of the file; the
      pace around each silence is fitted from the samples of PACE.txt.
      TOLERANCE_MS in the environment sets the allowed error (default 30).
"""

import array
import math
import os
import sys
import time

RATE = 48000
CHANNELS = 2
LOUD = 400  # a sample louder than this is sound
QUIET_RUN = RATE // 100  # 10 ms of silence end a sound
LOW = [697, 770, 852, 941]
HIGH = [1209, 1336, 1477, 1633]
KEYS = ["123A", "456B", "789C", "*0#D"]
# A tone pair puts nearly all its energy into its two frequencies; the
# effect clips (blips, chords, buzzes) put a small share there.
TONE_SHARE = 0.8
# Silence after every key a script sends. The next tone starts with the
# next device buffer (5 ms) and a busy machine may wake the player late;
# a silence much shorter than 70 ms would be a fault.
KEY_GAP_MS = 70
KEY_GAP_BELOW_MS = 5
KEY_GAP_ABOVE_MS = 30


def left_channel(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    return samples[0::CHANNELS]


def sounds(left):
    """(first, end) sample index pairs of every sound."""
    found = []
    start = last = None
    for i, x in enumerate(left):
        if x > LOUD or x < -LOUD:
            if start is None:
                start = i
            last = i
        elif start is not None and i - last >= QUIET_RUN:
            found.append((start, last + 1))
            start = None
    if start is not None:
        found.append((start, last + 1))
    return found


def goertzel(samples, hz):
    coefficient = 2 * math.cos(2 * math.pi * hz / RATE)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coefficient * s1 - s2, s1
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2


def key_of(samples):
    """The key whose tone pair this sound is, or None."""
    energy = sum(x * x for x in samples) * len(samples) / 2
    if energy == 0:
        return None
    low = [goertzel(samples, hz) for hz in LOW]
    high = [goertzel(samples, hz) for hz in HIGH]
    row = max(range(4), key=lambda k: low[k])
    column = max(range(4), key=lambda k: high[k])
    if (low[row] + high[column]) / energy < TONE_SHARE:
        return None
    return KEYS[row][column]


def timeline(path):
    left = left_channel(path)
    return [(first, end, key_of(left[first:end])) for first, end in sounds(left)]


def pace_points(path):
    """(wall seconds, frames written) pairs."""
    points = []
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) == 2:
                points.append((float(fields[0]), int(fields[1]) / (2 * CHANNELS)))
    return points


def fitted_pace(points, first=None, end=None):
    """Frames written per wall-clock second relative to the nominal rate,
    fitted over the points between frames first and end (all without)."""
    if first is not None:
        points = [(t, f) for t, f in points if first <= f <= end]
    if len(points) < 10:
        return None
    n = len(points)
    mean_t = sum(t for t, _ in points) / n
    mean_f = sum(f for _, f in points) / n
    slope = sum((t - mean_t) * (f - mean_f) for t, f in points) / sum((t - mean_t) ** 2 for t, _ in points)
    return slope / RATE


def sample(path, pace_path):
    size = -1
    with open(pace_path, "w") as out:
        while True:
            try:
                now = os.stat(path).st_size
            except OSError:
                now = size
            if now != size:
                size = now
                out.write("%.6f %d\n" % (time.monotonic(), size))
                out.flush()
            time.sleep(0.005)


def ms(frames):
    return frames * 1000.0 / RATE


def trim(path):
    events = timeline(path)
    first_key = next((i for i, (_, _, key) in enumerate(events) if key), None)
    if first_key is None:
        sys.exit("FAIL: no key tone in %s" % path)
    onset = events[first_key][0]
    before = events[first_key - 1][1] if first_key > 0 else 0
    print("%.4f" % ((onset + before) / 2 / RATE))


def check(path, pace_path, expected, gaps):
    tolerance = float(os.environ.get("TOLERANCE_MS", "30"))
    events = timeline(path)
    first_key = next((i for i, (_, _, key) in enumerate(events) if key), len(events))
    playback = events[first_key:]
    for first, end, key in playback:
        print("  %10.2f ms  %7.2f ms  %s" % (ms(first), ms(end - first), key or "(not a key)"))
    keys = [(first, end, key) for first, end, key in playback if key]
    heard = "".join(key for _, _, key in keys)
    print("key tones of the playback: %s" % heard)
    failed = False
    if heard != expected.replace("|", ""):
        print("FAIL: expected exactly the key tones %s" % expected)
        failed = True
    # Index of each key that follows another key of the same line.
    same_line = set()
    index = 0
    for line in expected.split("|"):
        same_line.update(range(index + 1, index + len(line)))
        index += len(line)
    points = pace_points(pace_path)
    pace = fitted_pace(points)
    if pace is None:
        sys.exit("FAIL: too few pace samples (%d)" % len(points))
    print("device pace: %.4f of real time over the playback" % pace)
    named = dict((int(b), int(w)) for b, w in (gap.split(":") for gap in gaps.split(",")))
    key_gaps = []
    for before in sorted(same_line):
        if before < len(keys):
            real = ms(keys[before][0] - keys[before - 1][1]) / pace
            key_gaps.append(real)
            if not KEY_GAP_MS - KEY_GAP_BELOW_MS <= real <= KEY_GAP_MS + KEY_GAP_ABOVE_MS:
                print("FAIL: silence after key %d: %.1f ms at the device's pace, expected %d -%d +%d ms"
                      % (before, real, KEY_GAP_MS, KEY_GAP_BELOW_MS, KEY_GAP_ABOVE_MS))
                failed = True
    if key_gaps:
        print("silences between the keys of one line: %.1f to %.1f ms at the device's pace"
              % (min(key_gaps), max(key_gaps)))
    for before, want in named.items():
        if not 0 < before < len(keys):
            print("FAIL: no silence after key %d" % before)
            failed = True
            continue
        first, end = keys[before - 1][1], keys[before][0]
        silence = ms(end - first)
        local = fitted_pace(points, first, end) or pace
        real = silence / local
        verdict = "ok" if abs(real - want) <= tolerance else "FAIL"
        print(
            "%s: silence after key %d: %.1f ms of audio at a pace of %.4f = %.1f ms, expected %d +- %g ms"
            % (verdict, before, silence, local, real, want, tolerance)
        )
        failed = failed or verdict != "ok"
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "trim":
        trim(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "sample":
        sample(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 6 and sys.argv[1] == "check":
        check(*sys.argv[2:])
    else:
        sys.exit(__doc__)
