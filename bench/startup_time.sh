#!/bin/bash
# Start-up cost of vlmc: milliseconds per run of a one-note source (process
# start, shared libraries, compile, MIDI file written), beside a C++ program
# that links only the standard library, which is the floor. Run by hand after
# a release build:
#   bash bench/startup_time.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-20}
vlmc="$build/bin/vlmc"
[[ -x "$vlmc" ]] || { echo "no $vlmc: build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'c\n' >"$work/tiny.vlm"
if ! "$vlmc" "$work/tiny.vlm" -o "$work/tiny.mid" >"$work/messages"; then
  echo "vlmc failed on a one-note source:" >&2
  cat "$work/messages" >&2
  exit 1
fi

# Milliseconds per run of the command given, best of three rounds of $runs
# runs, so that a busy machine does not decide the result.
ms_per_run() {
  local best="" round start end ms
  for round in 1 2 3; do
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done
    end=$(date +%s%N)
    ms=$(awk -v ns=$((end - start)) -v n="$runs" 'BEGIN { printf "%.2f", ns / n / 1e6 }')
    if [[ -z "$best" ]] || awk -v a="$ms" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$ms; fi
  done
  echo "$best"
}

echo "vlmc, one note: $(ms_per_run "$vlmc" "$work/tiny.vlm" -o "$work/tiny.mid") ms per run ($runs runs, best of 3)"
echo "vlmc shared libraries: $(ldd "$vlmc" | wc -l)"

cxx=${CXX:-c++}
if command -v "$cxx" >/dev/null; then
  printf '#include <iostream>\nint main() { std::cout << "ok\\n"; }\n' >"$work/floor.cpp"
  "$cxx" -O2 -o "$work/floor" "$work/floor.cpp"
  echo "floor, libstdc++ only: $(ms_per_run "$work/floor") ms per run"
fi
