#!/usr/bin/env bash
# The program's main job. With a display: the desktop program. Without one:
# draw a random phrase with the start values and play it; where no audio
# output exists, render the same phrase to vorlumi3.wav instead and say so.
set -euo pipefail
build=${1:-build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/bin/vorlumi3"
fi

cli="$build/bin/vorlumi3-cli"
phrase="$build/bin/vorlumi3.mid"  # where the desktop program keeps its phrase too
# One seed for both tries, so that the rendered phrase is the one drawn for playing.
seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')

# Exit status 1 (the phrase compiled with errors) still leaves a phrase to hear.
status=0
"$cli" --seed "$seed" --out "$phrase" --print rhythm,pattern --play || status=$?
case $status in
  0 | 1) exit 0 ;;
  3) ;;  # no audio output: render instead, below
  *) exit "$status" ;;
esac

echo "No audio device here, so the phrase is rendered to a WAV file instead."
status=0
report=$("$cli" --seed "$seed" --out "$phrase" --print rhythm,pattern --wav vorlumi3.wav 2>&1) || status=$?
echo "$report"
if [ "$status" -gt 1 ]; then exit "$status"; fi
seconds=$(printf '%s\n' "$report" | sed -n 's/^wrote .*vorlumi3\.wav (\(.*\) s)$/\1/p')
echo "The phrase is in vorlumi3.wav ($seconds seconds); play it with any audio player."
