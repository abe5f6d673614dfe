#!/usr/bin/env python3
"""CPU cost of the source map: whole-process CPU time (user + system) of vlmc
on the large song of song_scaling.sh, without and with --source-map, run in
alternating pairs so that a busy machine slows both alike. Target: the map
costs at most 25% more CPU at a million notes. Also checks that the MIDI
files are identical. Run by hand after a release build:

  python3 bench/source_map_cost.py [BUILD_DIR] [SIZE] [--runs N]

SIZE 1800 (the default) gives some 1,008,000 notes. The cost with the map
off is measured by comparing against an earlier vlmc with process_cpu.py.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile

from process_cpu import run_once


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("size", nargs="?", type=int, default=1800)
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    vlmc = os.path.join(args.build, "bin", "vlmc")
    with tempfile.TemporaryDirectory() as work:
        song = os.path.join(work, "song.vlm")
        counts = subprocess.run([os.path.join(args.build, "bin", "song_bench"), "--write", str(args.size), song],
                                check=True, capture_output=True, text=True).stdout
        print("song:", counts.strip())
        notes = int(re.search(r"notes=(\d+)", counts).group(1))
        off_mid, on_mid = os.path.join(work, "off.mid"), os.path.join(work, "on.mid")
        jsonl = os.path.join(work, "map.jsonl")
        off, on, ratios, off_kb, on_kb = [], [], [], [], []
        for _ in range(args.runs):
            a, ka = run_once([vlmc, song, "-o", off_mid])
            b, kb = run_once([vlmc, song, "-o", on_mid, "--source-map", jsonl])
            off.append(a)
            on.append(b)
            ratios.append(b / a)
            off_kb.append(ka)
            on_kb.append(kb)
        with open(off_mid, "rb") as x, open(on_mid, "rb") as y:
            same = x.read() == y.read()
        with open(jsonl, "rb") as m:
            mapped = sum(1 for _ in m)
    print(f"notes: {notes}, map lines: {mapped}, MIDI files identical: {same}")
    print(f"map off: CPU {statistics.median(off) * 1e3:.0f} ms, peak {max(off_kb) / 1024:.0f} MiB")
    print(f"map on:  CPU {statistics.median(on) * 1e3:.0f} ms, peak {max(on_kb) / 1024:.0f} MiB")
    print(f"on / off: {statistics.median(ratios):.3f} (target at most 1.25)")


if __name__ == "__main__":
    main()
