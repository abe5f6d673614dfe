#!/usr/bin/env bash
# The program's main job: the desktop program when a display is available;
# without one, compile the demo song and render it to vorlumi3.wav.
set -euo pipefail
build=${1:-build}
# With a display, the desktop program; without one, the command-line job below.
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/bin/vorlumi3"
fi
out="$build/demo.mid"
"$build/bin/vlmc" -o "$out" --wav vorlumi3.wav examples/demo.vlm
echo "MIDI file: $out; its sound: vorlumi3.wav"
