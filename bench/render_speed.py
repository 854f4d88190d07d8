#!/usr/bin/env python3
"""Measures how fast `pelmora --render` writes a script, as a multiple of
real time, and the memory of the process at its end (maximum resident set).

Two scripts: ten minutes of short dial lines and many waits, and 2,000 keys
in dial lines of ten. Each is rendered at 8000 Hz (the default) and at
48000 Hz, five times; the median wall time counts.

Usage: bench/render_speed.py build/pelmora
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
import wave


def render(pelmora, script, out, rate):
    """Wall seconds and maximum resident kilobytes of one render."""
    start = time.perf_counter()
    child = subprocess.Popen([pelmora, "--render", out, "--rate", str(rate), script],
                             stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"render of {script} failed")
    return wall, usage.ru_maxrss


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    pelmora = os.path.abspath(sys.argv[1])
    env_free = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    os.environ.clear()
    os.environ.update(env_free)
    with tempfile.TemporaryDirectory() as folder:
        scripts = {
            "10 min of waits": "dial 1\r\nwait 4\r\n" * 144,
            "2,000 keys": "dial 0123456789\r\n" * 200,
        }
        print(f"{'script':<16} {'rate':>6} {'audio s':>8} {'wall ms':>8} {'x real time':>12} {'max RSS kB':>11}")
        for name, text in scripts.items():
            script = os.path.join(folder, "bench.dsq")
            with open(script, "w", newline="") as file:
                file.write(text)
            for rate in (8000, 48000):
                out = os.path.join(folder, "out.wav")
                runs = [render(pelmora, script, out, rate) for _ in range(5)]
                with wave.open(out) as rendered:
                    audio = rendered.getnframes() / rendered.getframerate()
                wall = statistics.median(run[0] for run in runs)
                rss = max(run[1] for run in runs)
                print(f"{name:<16} {rate:>6} {audio:>8.1f} {wall * 1000:>8.1f} {audio / wall:>12.0f} {rss:>11}")


if __name__ == "__main__":
    main()
