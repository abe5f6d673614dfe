#!/usr/bin/env bash
# The program's main job from the command line: compile the demo song.
set -euo pipefail
build=${1:-build}
out="$build/demo.mid"
"$build/bin/vlmc" -o "$out" examples/demo.vlm
echo "MIDI file: $out"
