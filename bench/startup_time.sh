#!/bin/bash
# Start-up cost of vlmc and vorlumi3-cli beside a C++ program that links only
# the standard library, which is the floor. vlmc: milliseconds per run of a
# one-note source (process start, shared libraries, compile, MIDI file
# written). vorlumi3-cli --seed 7: the whole main job (start-up, presets,
# rhythm, pattern, assembly, compile, file written), as CPU time (user and
# system) and elapsed time, medians of paired runs taken in turn with the
# floor, and their ratio to it (target: at most 1.3). Run by hand after a
# release build:
#   bash bench/startup_time.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-20}
vlmc="$build/bin/vlmc"
cli="$build/bin/vorlumi3-cli"
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
command -v "$cxx" >/dev/null || { echo "no $cxx: no floor to compare with" >&2; exit 0; }
printf '#include <iostream>\nint main() { std::cout << "ok\\n"; }\n' >"$work/floor.cpp"
"$cxx" -O2 -o "$work/floor" "$work/floor.cpp"
echo "floor, libstdc++ only: $(ms_per_run "$work/floor") ms per run"

[[ -x "$cli" ]] || { echo "no $cli: vorlumi3-cli not measured" >&2; exit 0; }
# The child's own CPU time comes from the kernel's accounting (getrusage),
# so the runner's start-up is not counted.
python3 - "$work/floor" "$cli" "$work/phrase.mid" "$((runs * 5))" <<'PY'
import os, resource, statistics, subprocess, sys, time
floor, cli, phrase, pairs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def run(args):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu * 1000, wall * 1000

job = [cli, "--seed", "7", "--out", phrase]
run(job)  # warm the caches once
cpu_ratio, wall_ratio, cpu_job, wall_job, cpu_floor, wall_floor = [], [], [], [], [], []
for _ in range(pairs):
    fc, fw = run([floor])
    jc, jw = run(job)
    cpu_floor.append(fc); wall_floor.append(fw); cpu_job.append(jc); wall_job.append(jw)
    if fc > 0: cpu_ratio.append(jc / fc)
    wall_ratio.append(jw / fw)
m = statistics.median
print(f"vorlumi3-cli --seed 7: CPU {m(cpu_job):.2f} ms, elapsed {m(wall_job):.2f} ms "
      f"(floor: CPU {m(cpu_floor):.2f} ms, elapsed {m(wall_floor):.2f} ms; {pairs} paired runs, medians)")
print(f"ratio to the floor: CPU {m(cpu_ratio):.2f}, elapsed {m(wall_ratio):.2f} (target at most 1.3)")
PY
