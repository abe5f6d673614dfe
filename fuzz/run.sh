#!/usr/bin/env bash
# Runs every fuzz target of an instrumented build for SECONDS each:
#   fuzz/run.sh BUILD_DIR SECONDS [SEED]
# A SEED other than 0 fixes libFuzzer's random choices, so that a run on the
# same commit repeats what it found (CI uses one; exploring runs leave it out).
# Each target starts from its seeds and every input that once failed it (the
# regression folders under tests/); what it finds is kept in
# BUILD_DIR/corpus/TARGET, crashes and hangs in BUILD_DIR/artifacts/TARGET.
# Every target runs even when one fails; the status is 1 when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
seconds=$2
seed=${3:-0}
src=$PWD

# target | seeds and kept inputs (files or folders) | dictionary
targets=(
  "mml_fuzz|tests/compiler/fuzz_inputs|fuzz/mml.dict"
  "smf_reader_fuzz|fuzz/seeds/midi tests/fuzz/midi_inputs|fuzz/smf.dict"
  "settings_fuzz|fuzz/seeds/settings tests/fuzz/settings_inputs|"
  "scale_fuzz|resources/Scale.dat tests/fuzz/scale_inputs|"
  "text_fuzz|resources/Scale.dat examples fuzz/seeds/settings tests/fuzz/text_inputs|"
  "lsp_fuzz|tests/fuzz/lsp_inputs|"
)

# The compiler's seeds: the examples and every string of the compiler tests.
rm -rf "$build/seeds"
mkdir -p "$build/seeds/mml_fuzz"
"$build/bin/vlm_fuzz_seeds" "$build/seeds/mml_fuzz" examples/*.vlm tests/compiler/*.cpp >/dev/null || exit 1

failed=()
for entry in "${targets[@]}"; do
  IFS='|' read -r target inputs dict <<<"$entry"
  seeds="$build/seeds/$target"
  mkdir -p "$seeds" "$build/corpus/$target" "$build/artifacts/$target"
  for input in $inputs; do
    if [ -d "$input" ]; then cp -r "$input/." "$seeds/"; elif [ -f "$input" ]; then cp "$input" "$seeds/"; fi
  done
  options=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1
           -artifact_prefix="$build/artifacts/$target/")
  [ -n "$dict" ] && options+=(-dict="$src/$dict")
  [ "$seed" != 0 ] && options+=(-seed="$seed")
  echo "== $target: $seconds s"
  # The fuzzers run in scratch directories of their own, hence the absolute paths.
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$build/bin/$target" "${options[@]}" "$build/corpus/$target" "$seeds" >"$build/$target.log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$build/$target.log" | tail -1
  else
    # The cause comes first: a long stack trace can push it out of the tail.
    grep -m 3 -E 'broken promise|ERROR|terminate called|runtime error' "$build/$target.log"
    tail -40 "$build/$target.log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]} (inputs in $build/artifacts)"
  exit 1
fi
