#!/usr/bin/env python3
"""vlmc beside abc2midi on the same million-note phrase: whole-process CPU
time (user + system), in alternating pairs, medians. The compiler's target
is at most a quarter of abc2midi's time.

  python3 bench/abc2midi_reference.py [BUILD_DIR] [SIZE] [--runs N]

The phrase is the song of song_scaling.sh (SIZE 1800: some 1,008,000 notes).
vlmc compiles it to a MIDI file; midi2abc turns that file into ABC, one
voice per track; the voices are cut into tunes of 400 lines, since abc2midi
refuses a tune whose file grows past its own limit, and abc2midi (run
without -o) writes every tune. Needs the abcmidi package (apt-get install
abcmidi); it is a benchmark-only tool and not among the build's dependencies.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

from process_cpu import run_once

LINES_PER_TUNE = 400


def abc_tunes(abc_text):
    """The voices of midi2abc's one tune, each cut into tunes of their own."""
    lines = abc_text.split("\n")
    header = [line for line in lines[1:] if re.match(r"[MLQK]:", line)]
    starts = [k for k, line in enumerate(lines) if line.startswith("V:")] + [len(lines)]
    tunes, number = [], 0
    for first, end in zip(starts, starts[1:]):
        body = [line for line in lines[first + 1:end] if not line.startswith("%")]
        for at in range(0, len(body), LINES_PER_TUNE):
            number += 1
            tunes += [f"X: {number}"] + header + body[at:at + LINES_PER_TUNE] + [""]
    return "\n".join(tunes), number


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("size", nargs="?", type=int, default=1800)
    parser.add_argument("--runs", type=int, default=11)
    args = parser.parse_args()
    for tool in ("abc2midi", "midi2abc"):
        if shutil.which(tool) is None:
            sys.exit(f"no {tool}: apt-get install abcmidi")
    vlmc = os.path.abspath(os.path.join(args.build, "bin", "vlmc"))
    with tempfile.TemporaryDirectory() as work:
        song, midi = os.path.join(work, "song.vlm"), os.path.join(work, "song.mid")
        counts = subprocess.run([os.path.join(args.build, "bin", "song_bench"), "--write", str(args.size), song],
                                check=True, capture_output=True, text=True).stdout
        print("song:", counts.strip())
        subprocess.run([vlmc, song, "-o", midi], check=True, stdout=subprocess.DEVNULL)
        abc = subprocess.run(["midi2abc", "-f", midi], check=True, capture_output=True, text=True).stdout
        text, tunes = abc_tunes(abc)
        tunes_dir = os.path.join(work, "abc")
        os.mkdir(tunes_dir)
        tunes_file = os.path.join(tunes_dir, "song.abc")
        with open(tunes_file, "w") as out:
            out.write(text)
        print(f"abc: {tunes} tunes, {len(text)} bytes")
        vlmc_cpu, abc_cpu, ratios = [], [], []
        here = os.getcwd()
        for _ in range(args.runs):
            a, _ = run_once([vlmc, song, "-o", os.path.join(work, "again.mid")])
            os.chdir(tunes_dir)  # abc2midi writes each tune's file beside its source
            try:
                b, _ = run_once(["abc2midi", "song.abc"])
            finally:
                os.chdir(here)
            vlmc_cpu.append(a)
            abc_cpu.append(b)
            ratios.append(a / b)
        written = sum(1 for name in os.listdir(tunes_dir) if name.endswith(".mid"))
    m = statistics.median
    print(f"abc2midi: CPU {m(abc_cpu) * 1e3:.0f} ms ({written} MIDI files written)")
    print(f"vlmc:     CPU {m(vlmc_cpu) * 1e3:.0f} ms")
    print(f"vlmc / abc2midi: {m(ratios):.3f} (target at most 0.25: {m(abc_cpu) * 250:.0f} ms)")


if __name__ == "__main__":
    main()
