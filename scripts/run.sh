#!/usr/bin/env bash
# The program's main job from the command line: compile the demo song and
# render it to vorlumi3.wav.
set -euo pipefail
build=${1:-build}
out="$build/demo.mid"
"$build/bin/vlmc" -o "$out" --wav vorlumi3.wav examples/demo.vlm
echo "MIDI file: $out; its sound: vorlumi3.wav"
