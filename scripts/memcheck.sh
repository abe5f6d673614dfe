#!/usr/bin/env bash
# valgrind memcheck on the two command-line programs of a release build:
#   scripts/memcheck.sh [BUILD_DIR]   (default: build)
# vlmc compiles every example, vorlumi3-cli draws and compiles the phrase of
# seed 7. Any memcheck error (invalid access, use of uninitialised values,
# leak) fails the run; there are no suppressions.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

memcheck=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect
          --track-origins=yes --quiet)

status=0
run() {
  echo "== memcheck: $*"
  if ! "${memcheck[@]}" "$@" >"$scratch/out" 2>&1; then
    # The programs' own failures count too: a run that exits with an error
    # has not shown that the normal path is clean.
    cat "$scratch/out"
    status=1
  fi
}

for example in examples/*.vlm; do
  run "$build/bin/vlmc" "$example" -o "$scratch/example.mid"
done
run "$build/bin/vorlumi3-cli" --seed 7 -o "$scratch/phrase.mid"

if [ $status -ne 0 ]; then
  echo "memcheck found errors"
  exit 1
fi
echo "memcheck: clean"
