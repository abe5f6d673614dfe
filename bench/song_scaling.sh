#!/bin/bash
# Whole-process time and peak memory of vlmc on a song of about one million
# notes (source read to MIDI file written), as notes per second and bytes of
# peak memory per event. Run by hand after a release build:
#   bash bench/song_scaling.sh [BUILD_DIR] [SIZE] [--one-line]
# SIZE 1800 gives 16 tracks of 7200 bars, some 1,008,000 notes; --one-line
# writes the whole song on a single line.
set -euo pipefail
build=${1:-build}
size=${2:-1800}
layout=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

counts=$("$build/bin/song_bench" --write "$size" "$work/song.vlm" $layout)
echo "song: $counts"
notes=$(sed -n 's/.*notes=\([0-9]*\).*/\1/p' <<<"$counts")
events=$(sed -n 's/.*events=\([0-9]*\).*/\1/p' <<<"$counts")

# Best of five runs, so that a busy machine does not decide the result; the
# shell's timer reads milliseconds, /usr/bin/time the peak memory.
best_s=""
best_kb=""
TIMEFORMAT=%R
for run in 1 2 3 4 5; do
  if ! { time /usr/bin/time -f '%M' -o "$work/memory" "$build/bin/vlmc" "$work/song.vlm" -o "$work/song.mid" >"$work/messages"; } 2>"$work/time"; then
    echo "vlmc reported errors or failed:" >&2
    head -5 "$work/messages" >&2
    exit 1
  fi
  seconds=$(tail -1 "$work/time")
  kb=$(cat "$work/memory")
  if [[ -z "$best_s" ]] || awk -v a="$seconds" -v b="$best_s" 'BEGIN{exit !(a<b)}'; then best_s=$seconds; fi
  if [[ -z "$best_kb" || "$kb" -lt "$best_kb" ]]; then best_kb=$kb; fi
done

awk -v s="$best_s" -v kb="$best_kb" -v n="$notes" -v e="$events" 'BEGIN {
  printf "vlmc: %.3f s, peak %.1f MB\n", s, kb / 1024
  printf "notes per second: %.2f million (target at least 10)\n", (s > 0 ? n / s / 1e6 : 0)
  printf "peak bytes per event: %.1f (target at most 64)\n", kb * 1024 / e
}'
