#!/usr/bin/env python3
"""CPU cost of the source map: whole-process CPU time (user + system) of vlmc
on the large song of song_scaling.sh, run in turns so that a busy machine
slows all alike: without the map, with the map made but not written
(--diagnostics=gnu, which needs it; the song has no errors), and with
--source-map writing it as JSON Lines. Target: making the map costs at most
25% more CPU at a million notes. Also checks that the MIDI files are
identical, and gives the page faults of each kind of run: a page touched for
the first time costs some 2 us, so the map's memory is much of its cost. Run
by hand after a release build:

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


def run_once(args):
    """CPU seconds, peak resident kilobytes and minor page faults of one run."""
    with open(os.devnull, "wb") as quiet:
        child = subprocess.Popen(args, stdout=quiet)
        _, status, usage = os.wait4(child.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(args)} failed")
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss, usage.ru_minflt


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
        mids = [os.path.join(work, f"{k}.mid") for k in range(3)]
        jsonl = os.path.join(work, "map.jsonl")
        kinds = [("map off", []), ("map made", ["--diagnostics=gnu"]), ("map written", ["--source-map", jsonl])]
        cpu, peak, faults = [[] for _ in kinds], [[] for _ in kinds], [[] for _ in kinds]
        for run in range(args.runs):
            order = list(range(len(kinds)))
            if run % 2:
                order.reverse()
            for k in order:
                seconds, kb, faulted = run_once([vlmc, song, "-o", mids[k]] + kinds[k][1])
                cpu[k].append(seconds)
                peak[k].append(kb)
                faults[k].append(faulted)
        contents = []
        for mid in mids:
            with open(mid, "rb") as m:
                contents.append(m.read())
        same = all(c == contents[0] for c in contents)
        with open(jsonl, "rb") as m:
            mapped = sum(1 for _ in m)
    print(f"notes: {notes}, map lines: {mapped}, MIDI files identical: {same}")
    for k, (name, _) in enumerate(kinds):
        ratio = statistics.median(b / a for a, b in zip(cpu[0], cpu[k]))
        print(f"{name + ':':13}CPU {statistics.median(cpu[k]) * 1e3:4.0f} ms, peak {max(peak[k]) / 1024:4.0f} MiB,"
              f" {statistics.median(faults[k]):6.0f} page faults, {ratio:.3f} of map off")
    print("target: map made at most 1.25 of map off")


if __name__ == "__main__":
    main()
