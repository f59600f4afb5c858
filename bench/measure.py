#!/usr/bin/env python3
"""Times commands against a baseline in the same run and prints the ratio.

usage: measure.py NAME RUNS -- BASELINE_COMMAND... -- COMMAND...
Runs the two commands alternately RUNS times each (after one warm-up run of each, so both read from a
warm page cache), and prints the median wall and CPU times with their ratios, and the command's peak
memory. On a busy machine the CPU-time ratio is the steadier of the two.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def run(command):
    """Wall time and CPU time (user + system) of one run."""
    start = time.perf_counter()
    with open(os.devnull, "wb") as sink:
        process = subprocess.Popen(command, stdout=sink, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(process.pid, 0)
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime


def peak_memory_mb(command):
    """Peak resident memory of one run, measured by GNU time (a fork of this script would count its own)."""
    with tempfile.NamedTemporaryFile() as report, open(os.devnull, "wb") as sink:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command, stdout=sink,
                       stderr=subprocess.DEVNULL, check=False)
        return int(open(report.name).read().split()[-1]) / 1024.0


def main():
    name, runs = sys.argv[1], int(sys.argv[2])
    rest = sys.argv[3:]
    split = [i for i, a in enumerate(rest) if a == "--"]
    baseline = rest[split[0] + 1:split[1]]
    command = rest[split[1] + 1:]
    run(baseline)
    run(command)
    base, ours = [], []
    for _ in range(runs):
        base.append(run(baseline))
        ours.append(run(command))
    bw, ow = (statistics.median(t[0] for t in runs_) for runs_ in (base, ours))
    bc, oc = (statistics.median(t[1] for t in runs_) for runs_ in (base, ours))
    print(f"{name}: wall {ow * 1000:.1f} ms vs baseline {bw * 1000:.1f} ms = {ow / bw:.2f}x; "
          f"cpu {oc * 1000:.1f} ms vs {bc * 1000:.1f} ms = {oc / bc:.2f}x; "
          f"peak memory {peak_memory_mb(command):.1f} MB")


if __name__ == "__main__":
    main()
