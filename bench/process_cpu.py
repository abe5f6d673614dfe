#!/usr/bin/env python3
"""Whole-process CPU time (user + system, every thread counted, as the
kernel accounts it, with the system part apart), page faults and peak
memory of vlmc compiling one source.

  python3 bench/process_cpu.py SOURCE VLMC [OTHER_VLMC] [--runs N] [--events N]

With one vlmc: the median of N runs. With two: they run in alternating
pairs, so that a busy machine slows both alike, and the median of the
paired ratios OTHER / VLMC is printed as well, and whether their MIDI files
are identical. With --events (the count song_bench --write prints) peak
memory is also given per event.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile


def measure(args):
    """The resource usage of one run of a command (it must succeed)."""
    with open(os.devnull, "wb") as quiet:
        child = subprocess.Popen(args, stdout=quiet)
        _, status, usage = os.wait4(child.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(args)} failed")
    return usage


def run_once(args):
    """CPU seconds and peak resident kilobytes of one run of a command."""
    usage = measure(args)
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("vlmc", nargs="+", help="one vlmc, or two to compare")
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--events", type=int, default=0)
    args = parser.parse_args()
    if len(args.vlmc) > 2:
        parser.error("at most two vlmc")
    cpu = [[] for _ in args.vlmc]
    system = [[] for _ in args.vlmc]
    peak = [[] for _ in args.vlmc]
    # Minor page faults: pages of fresh memory the run touched, each of
    # which costs system time (some 2 us on a virtual machine).
    faults = [[] for _ in args.vlmc]
    ratios = []
    with tempfile.TemporaryDirectory() as work:
        outputs = [os.path.join(work, f"{k}.mid") for k in range(len(args.vlmc))]
        for run in range(args.runs):
            # Alternate which one goes first, so that neither always finds the cache warm.
            order = list(range(len(args.vlmc)))
            if run % 2:
                order.reverse()
            for k in order:
                usage = measure([args.vlmc[k], args.source, "-o", outputs[k]])
                cpu[k].append(usage.ru_utime + usage.ru_stime)
                system[k].append(usage.ru_stime)
                peak[k].append(usage.ru_maxrss)
                faults[k].append(usage.ru_minflt)
            if len(args.vlmc) == 2:
                ratios.append(cpu[1][-1] / cpu[0][-1])
        same = True
        if len(args.vlmc) == 2:
            with open(outputs[0], "rb") as a, open(outputs[1], "rb") as b:
                same = a.read() == b.read()
    for k, vlmc in enumerate(args.vlmc):
        kb = statistics.median(peak[k])
        line = (f"{vlmc}: CPU {statistics.median(cpu[k]) * 1000:.1f} ms (median of {args.runs}; "
                f"system {statistics.median(system[k]) * 1000:.1f} ms), {statistics.median(faults[k]):.0f} page faults, "
                f"peak {kb / 1024:.1f} MB")
        if args.events:
            line += f", {kb * 1024 / args.events:.1f} bytes per event"
        print(line)
    if ratios:
        print(f"second / first, median of {args.runs} pairs: {statistics.median(ratios):.3f}")
        print("MIDI files identical" if same else "MIDI FILES DIFFER")
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
