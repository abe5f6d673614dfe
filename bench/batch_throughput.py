#!/usr/bin/env python3
"""Throughput of vorlumi3-cli batches, per core: one worker thread, its CPU
time (user + system, as the kernel accounts it).

  python3 bench/batch_throughput.py [BUILD_DIR] [--phrases N] [--wavs N]

MIDI only: phrases a second per core (start-up included, spread over N
phrases). With --wav: seconds of audio written per CPU second, the factor
over real time (target: at least 150).
"""
import argparse
import json
import os
import tempfile

from process_cpu import run_once


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--phrases", type=int, default=2000)
    parser.add_argument("--wavs", type=int, default=40)
    args = parser.parse_args()
    cli = os.path.join(args.build, "bin", "vorlumi3-cli")
    with tempfile.TemporaryDirectory() as work:
        midi = os.path.join(work, "midi")
        cpu, _ = run_once([cli, "--count", str(args.phrases), "--jobs", "1", "--out-dir", midi, "-q"])
        print(f"MIDI only: {args.phrases} phrases in {cpu:.2f} CPU s, {args.phrases / cpu:.0f} phrases a second per core")

        wav = os.path.join(work, "wav")
        cpu, _ = run_once([cli, "--count", str(args.wavs), "--jobs", "1", "--wav", "--out-dir", wav, "-q"])
        audio = 0.0
        with open(os.path.join(wav, "manifest.jsonl"), encoding="utf-8") as manifest:
            for line in manifest:
                phrase = json.loads(line)
                wav_file = os.path.join(wav, f"{phrase['seed']}.wav")
                audio += (os.path.getsize(wav_file) - 44) / (44100 * 4)  # 16-bit stereo after the header
        print(f"WAV: {audio:.1f} s of audio in {cpu:.2f} CPU s, {audio / cpu:.0f} times real time per core "
              f"(target: at least 150)")


if __name__ == "__main__":
    main()
