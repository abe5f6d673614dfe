#!/bin/bash
# Compares the vlmc of a build against the vlmc of an earlier revision over a
# corpus of sources: messages, exit status, the source as compiled
# (--dump-source) and the MIDI bytes must all be identical. Run it before
# landing any change to the compiler that should not change its behaviour:
#   bash scripts/compare-compilers.sh [REVISION] [BUILD_DIR] [MUTANTS]
# REVISION defaults to HEAD, BUILD_DIR to build (built first), MUTANTS (sources
# made by splicing and mutating the corpus, with a fixed seed) to 1500.
set -euo pipefail
rev=${1:-HEAD}
build=${2:-build}
mutants=${3:-1500}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$root"
cmake --build "$build" -j "$(nproc)" --target vlmc song_bench >/dev/null
new_vlmc=$(realpath "$build/bin/vlmc")

echo "building vlmc of $rev"
mkdir -p "$work/ref"
git archive "$rev" | tar -x -C "$work/ref"
cmake -S "$work/ref" -B "$work/ref/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$work/ref/build" -j "$(nproc)" --target vlmc >/dev/null
ref_vlmc="$work/ref/build/bin/vlmc"

corpus="$work/corpus"
mkdir -p "$corpus"
cp examples/*.vlm "$corpus/"
for f in tests/compiler/fuzz_inputs/*; do cp "$f" "$corpus/fuzz-$(basename "$f").vlm"; done
# Every string literal of the compiler tests, and every example of the reference.
c++ -std=c++20 -O1 -o "$work/seeds" fuzz/seed_corpus.cpp
mkdir -p "$work/literals"
"$work/seeds" "$work/literals" tests/compiler/*.cpp >/dev/null
for f in "$work/literals"/*; do cp "$f" "$corpus/literal-$(basename "$f").vlm"; done
awk -v dir="$corpus" '
  /^```/ { if (open) { close(file); open = 0 } else { open = 1; file = sprintf("%s/doc-%03d.vlm", dir, ++n) } next }
  open { print > file }' docs/mml.md
# Size 600 gives tracks of tens of thousands of events.
for size in 1 3 10 200 600; do
  "$build/bin/song_bench" --write "$size" "$corpus/song-$size.vlm" >/dev/null
  "$build/bin/song_bench" --write "$size" "$corpus/song-$size-one-line.vlm" --one-line >/dev/null
done

python3 - "$corpus" "$mutants" <<'EOF'
import os, random, sys
corpus, count = sys.argv[1], int(sys.argv[2])
random.seed(1)
sources = [open(os.path.join(corpus, f), "rb").read() for f in sorted(os.listdir(corpus))]
sources = [s for s in sources if len(s) < 20000]
pieces = b" [ ] : | / ( ) , ~1 ~2=3 ^ & \\1 \\5 _m(A,\"?1 c\") A(e) IF(1) SEL(2) { } ; # \" < > + - . 0 8 96 $7F".split(b" ")
for i in range(count):
    a, b = random.choice(sources), random.choice(sources)
    text = a[:random.randint(0, len(a))] + b[random.randint(0, len(b)):]
    text = bytearray(text)
    for _ in range(random.randint(0, 6)):
        at = random.randint(0, len(text))
        if random.random() < 0.5:
            text[at:at] = random.choice(pieces)
        elif text:
            del text[at:at + random.randint(1, 4)]
    open(os.path.join(corpus, "mutant-%04d.vlm" % i), "wb").write(bytes(text))
EOF

# Runs one compiler on one source in its own directory, so that file names in
# messages are the same for both.
run() {
  local vlmc=$1 source=$2 dir=$3
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$source" "$dir/in.vlm"
  local status=0
  (cd "$dir" && timeout 20 "$vlmc" in.vlm -o out.mid --dump-source dump.txt --seed 1 >stdout 2>stderr) || status=$?
  echo "$status" >"$dir/status"
}

total=0
differ=0
for source in "$corpus"/*.vlm; do
  total=$((total + 1))
  run "$ref_vlmc" "$source" "$work/a"
  run "$new_vlmc" "$source" "$work/b"
  for f in status stdout stderr dump.txt out.mid; do
    if [[ -e "$work/a/$f" || -e "$work/b/$f" ]] && ! cmp -s "$work/a/$f" "$work/b/$f"; then
      differ=$((differ + 1))
      echo "DIFFERS: $(basename "$source") ($f)"
      break
    fi
  done
done
echo "$total sources compared, $differ differ"
[[ $differ -eq 0 ]]
