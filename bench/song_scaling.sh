#!/bin/bash
# Whole-process CPU time (user + system) and peak memory of vlmc on a song of
# about one million notes (source read to MIDI file written), as notes per
# CPU second and bytes of peak memory per event. Run by hand after a release
# build:
#   bash bench/song_scaling.sh [BUILD_DIR] [SIZE] [--one-line] [OTHER_VLMC]
# SIZE 1800 gives 16 tracks of 7200 bars, some 1,008,000 notes; --one-line
# writes the whole song on a single line. With OTHER_VLMC (say, the vlmc of
# an earlier revision) both run in alternating pairs and are compared.
set -euo pipefail
build=${1:-build}
size=${2:-1800}
layout=${3:-}
other=${4:-}
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

counts=$("$build/bin/song_bench" --write "$size" "$work/song.vlm" $layout)
echo "song: $counts"
notes=$(sed -n 's/.*notes=\([0-9]*\).*/\1/p' <<<"$counts")
events=$(sed -n 's/.*events=\([0-9]*\).*/\1/p' <<<"$counts")

if [[ -n "$other" ]]; then
  python3 "$here/process_cpu.py" "$work/song.vlm" "$other" "$build/bin/vlmc" --events "$events"
  exit
fi
report=$(python3 "$here/process_cpu.py" "$work/song.vlm" "$build/bin/vlmc" --events "$events")
echo "$report"
ms=$(sed -n 's/.*CPU \([0-9.]*\) ms.*/\1/p' <<<"$report")
awk -v ms="$ms" -v n="$notes" 'BEGIN {
  printf "notes per CPU second: %.2f million (target at least 10)\n", (ms > 0 ? n / ms / 1e3 : 0)
  print "peak bytes per event: target at most 32"
}'
